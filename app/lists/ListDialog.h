#pragma once
// What the three list dialogs (rooms, time slots, default words) share: a text
// box Memo1 with the list, OK that writes the list file and Cancel that
// writes nothing. The list file lives in the configuration folder under its
// bare name.
//
// Memo1 is a lines view: a room list of millions of lines costs its bytes and
// a small record a line, and is read and handed to Memo1 by a worker thread a
// batch at a time, so that the dialog answers while a large list comes in.
// OK writes the list on a worker thread of its own once the list is whole,
// the dialog open and still until the file is written, and hands the window
// the entries it wrote.

#include "app/runs/WorkerRun.h"
#include "lines/LinesEdit.h"
#include "logscan/TextList.h"

#include <QDialog>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <variant>

class QLabel;
class QPushButton;

namespace kiv {

class TListDialog : public QDialog {
    Q_OBJECT

public:
    LinesEdit* Memo1 = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    // The list file's bare name, as the messages show it.
    const std::string& FileName() const noexcept { return fileName_; }
    std::filesystem::path FilePath() const;

    // Fills Memo1 with the list, one entry per line, at once.
    void SetLines(const TextList& lines);
    // Fills Memo1 from the list file, read on the worker thread. Throws
    // KivError "Impossible d'ouvrir le fichier %s" at once when the file
    // cannot be opened; a read that fails later is shown and ends the dialog
    // with Cancel. A list ends at its first NUL byte: when bytes follow it,
    // the dialog says so once the list is in, and OK without an edit then
    // leaves the file as it is.
    void LoadFile();
    // Fills Memo1 with the list, converted on the worker thread.
    void LoadList(TextList lines);
    // From LoadFile or LoadList until every line is in Memo1.
    bool Loading() const noexcept { return loading_; }
    // Empties Memo1 and frees its lines on the worker thread: a dialog kept
    // for the next time must not hold a large list meanwhile.
    void ReleaseLines();

    // Memo1's text as the file receives it: Windows-1252, lines joined by
    // CR LF, no break added after the last line.
    std::string MemoBytes() const;
    // Memo1's entries, read by the same rules as a list file.
    TextList MemoLines() const;

    // What the last OK wrote: Memo1's entries, read back by the rules of a
    // list file, and whether the file now holds them. Taken once; empty when
    // the dialog ended otherwise.
    struct Written {
        TextList lines;
        bool saved = false;
    };
    std::optional<Written> TakeWritten() { return std::exchange(written_, std::nullopt); }
    // From OK until the file is written; the dialog cannot be ended meanwhile.
    bool Saving() const noexcept { return saving_; }

public slots:
    // Writes Memo1 to the list file, then ends the dialog with OK, even when
    // the file cannot be written (the failure is shown). While the list is
    // still coming in, that happens as soon as it is all there. A file cut
    // at a NUL byte is written only once Memo1 was edited.
    void OKBtnClick();
    // Ends the dialog with Cancel; nothing is written.
    void CancelBtnClick();

signals:
    // Loading ended: the whole list is in Memo1, or its read failed.
    void Loaded();

protected:
    TListDialog(std::string fileName, std::filesystem::path configFolder, QWidget* parent);

    // A plain-text label at its designed place (call after the dialog has
    // its size).
    QLabel* AddLabel(const char* name, const QString& text, QPoint place);

    // The control that has the focus whenever the dialog opens.
    void SetInitialFocus(QWidget* widget) { initialFocus_ = widget; }
    void showEvent(QShowEvent* event) override;
    // Cancel, Esc or the close box: a list still coming in is called off.
    // Nothing ends the dialog while OK writes the list.
    void done(int result) override;

private:
    // A job's result: whether it loaded a list (rather than freed one), and
    // where a NUL byte cut the file short (its position from 1), bytes
    // following it.
    struct LoadResult {
        bool list = false;
        std::optional<std::uint64_t> nulPosition;
    };
    using ListLoad = WorkerRun<LineBatch, LoadResult>;

    // A list's source, on the worker: hands its lines to take, all at once or
    // piece by piece as it reads them, until take returns false. Gives the
    // position of the NUL byte that cut it short, if any.
    using ListTaker = std::function<bool(const TextList& lines)>;
    using ListSource = std::function<std::optional<std::uint64_t>(const ListTaker& take)>;
    void StartLoad(ListSource source);
    void TakeBatches(std::deque<LineBatch>& batches);
    void LoadEnded(ListLoad::Ending ending);

    // The file written beside the window: the error that kept it from being
    // written, if any, and the entries either way.
    struct SaveOutcome {
        Written written;
        std::string failure;
    };
    using ListSave = WorkerRun<std::monostate, SaveOutcome>;
    // write false: the entries are handed to the window, the file left alone.
    void StartSave(bool write);
    void SaveEnded(ListSave::Ending ending);
    void SetSaving(bool saving);
    // Memo1 must not change while the worker reads it.
    void WaitForSave();

    std::string fileName_;
    std::filesystem::path configFolder_;
    QWidget* initialFocus_ = nullptr;
    bool loading_ = false;
    bool okWhenLoaded_ = false;
    bool saving_ = false;
    // The file holds more after the NUL that ends its list: OK writes only
    // once Memo1 was edited, and what followed is then lost, as the user was told.
    std::optional<std::uint64_t> nulPosition_;
    bool edited_ = false;   // typed into since the list was set or began to load
    bool appending_ = false; // the list itself comes into Memo1: no edit
    std::optional<Written> written_;
    ListLoad load_;
    ListSave save_;
};

} // namespace kiv
