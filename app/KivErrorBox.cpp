#include "KivErrorBox.h"

#include "QtCp1252.h"

#include <QMessageBox>

#include <cstdio>

namespace kiv {

void ShowKivError(QWidget* parent, const std::string& cp1252Text)
{
    const std::string shown = WithFullStop(cp1252Text);
    if (ErrorBoxHook) {
        ErrorBoxHook(parent, shown);
        return;
    }
    // Also on standard error, where a start from the desktop leaves a trace
    // in the session's journal and a check of the installed program sees it.
    std::fprintf(stderr, "kivlogs : %s\n", FromCp1252(shown).toLocal8Bit().constData());
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Kiv Logs"), FromCp1252(shown), QMessageBox::Ok, parent);
    // File names and log text are shown as they are, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void ShowKivErrors(QWidget* parent, const std::vector<std::string>& cp1252Texts)
{
    if (cp1252Texts.empty())
        return;
    std::string lines;
    for (const std::string& text : cp1252Texts) {
        if (!lines.empty())
            lines += '\n';
        lines += WithFullStop(text);
    }
    ShowKivError(parent, lines);
}

} // namespace kiv
