#pragma once
// The in-place editor of a grid cell: a plain text box over the cell, one
// line of the box for each line of the cell. Return keeps the text,
// Shift+Return or Ctrl+Return starts a new line, Escape gives the cell back
// unchanged, Tab keeps the text and moves on; leaving the box keeps the text.

#include <QPlainTextEdit>

#include <string>
#include <string_view>

namespace kiv {

class TSlotGridEditor : public QPlainTextEdit {
    Q_OBJECT

public:
    enum class Ending { Keep, Cancel, KeepAndNext, KeepAndPrevious };

    explicit TSlotGridEditor(QWidget* parent);

    // Shows the lines of a cell text (Windows-1252, lines ending at CR), the
    // caret at the end, with typed text added there.
    void Open(std::string_view cellText, const QString& typed);
    // Adds text that reached the cell while it is edited (a scan still
    // running) at the end of the box, leaving the user's caret and changes.
    void AppendCellText(std::string_view text);
    // The box's text as a cell text, its lines joined by CR.
    std::string CellText() const;
    bool Changed() const;

signals:
    void finished(kiv::TSlotGridEditor::Ending ending);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;
};

} // namespace kiv
