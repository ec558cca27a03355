#include "ListDialog.h"

#include "KivErrorBox.h"
#include "QtCp1252.h"

#include <algorithm>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

namespace kiv {

TListDialog::TListDialog(std::string fileName, std::filesystem::path configFolder, QWidget* parent)
    : QDialog(parent)
    , fileName_(std::move(fileName))
    , configFolder_(std::move(configFolder))
{
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    // The small dialog font, so that the labels fit the fixed size.
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    CancelBtn = new QPushButton(QStringLiteral("Annuler"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(OKBtn, &QPushButton::clicked, this, &TListDialog::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TListDialog::CancelBtnClick);
    // Esc and the close box end the dialog through QDialog::reject: Cancel.
}

std::filesystem::path TListDialog::FilePath() const
{
    return configFolder_ / std::filesystem::path(std::u8string(fileName_.begin(), fileName_.end()));
}

void TListDialog::SetLines(const TextList& lines)
{
    QStringList shown;
    shown.reserve(static_cast<qsizetype>(lines.size()));
    for (std::string_view line : lines)
        shown.append(FromCp1252(line));
    Memo1->setPlainText(shown.join(QLatin1Char('\n')));
}

std::string TListDialog::MemoBytes() const
{
    // The raw text keeps non-breaking spaces (the plain text would turn them
    // into spaces) and separates paragraphs by U+2029; a forced line break
    // (Shift+Enter) is U+2028. Each of them is a line break in the file.
    QString text = Memo1->document()->toRawText();
    text.replace(QChar(QChar::ParagraphSeparator), QLatin1Char('\n'));
    text.replace(QChar(QChar::LineSeparator), QLatin1Char('\n'));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return ToCp1252(text);
}

TextList TListDialog::MemoLines() const
{
    return SplitTextList(MemoBytes());
}

void TListDialog::OKBtnClick()
{
    ReportErrors(this, [this] { SaveTextFile(FilePath(), MemoBytes(), fileName_); });
    accept();
}

void TListDialog::CancelBtnClick()
{
    reject();
}

QLabel* TListDialog::AddLabel(const char* name, const QString& text, QPoint place)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->adjustSize();
    // Moved left as far as needed to stay inside the dialog with its font.
    const int right = width() - 4;
    label->move(std::max(4, std::min(place.x(), right - label->width())), place.y());
    return label;
}

void TListDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (initialFocus_)
        initialFocus_->setFocus(Qt::OtherFocusReason);
}

} // namespace kiv
