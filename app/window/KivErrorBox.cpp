#include "app/window/KivErrorBox.h"

#include "qtext/QtCp1252.h"

#include <QMessageBox>

#include <cstdio>

namespace kiv {

namespace {

void ShowBox(QWidget* parent, const ErrorBoxText& text)
{
    if (ErrorBoxHook) {
        ErrorBoxHook(parent, text.shown);
        return;
    }
    // Also on standard error, where a start from the desktop leaves a trace
    // in the session's journal and a check of the installed program sees it.
    const std::string& everything = text.details.empty() ? text.shown : text.details;
    std::fprintf(stderr, "kivlogs : %s\n", FromCp1252(everything).toLocal8Bit().constData());
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Kiv Logs"), FromCp1252(text.shown), QMessageBox::Ok, parent);
    // File names and log text are shown as they are, never as markup.
    box.setTextFormat(Qt::PlainText);
    if (!text.details.empty())
        box.setDetailedText(FromCp1252(text.details));
    box.exec();
}

std::string JoinedLines(const std::vector<std::string>& cp1252Texts, std::size_t count)
{
    std::string lines;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0)
            lines += '\n';
        lines += WithFullStop(cp1252Texts[i]);
    }
    return lines;
}

} // namespace

void ShowKivError(QWidget* parent, const std::string& cp1252Text)
{
    ShowBox(parent, {WithFullStop(cp1252Text), {}});
}

ErrorBoxText ScanErrorsText(const std::vector<std::string>& cp1252Texts)
{
    if (cp1252Texts.size() <= ErrorsShownInBox)
        return {JoinedLines(cp1252Texts, cp1252Texts.size()), {}};
    ErrorBoxText text{JoinedLines(cp1252Texts, ErrorsShownInBox), JoinedLines(cp1252Texts, cp1252Texts.size())};
    // "\x85" is the ellipsis of Windows-1252.
    text.shown += "\n\x85 et " + std::to_string(cp1252Texts.size() - ErrorsShownInBox) + " autres fichiers illisibles";
    return text;
}

void ShowKivErrors(QWidget* parent, const std::vector<std::string>& cp1252Texts)
{
    if (!cp1252Texts.empty())
        ShowBox(parent, ScanErrorsText(cp1252Texts));
}

} // namespace kiv
