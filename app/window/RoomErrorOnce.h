#pragma once
// The errors of the room scans, which start at every letter typed in the room
// box: a share that is not mounted would otherwise raise the same box at each
// letter, and the box, being modal, would take the letters that follow. An
// error is shown once, and again only when the folder, the date or the
// errors themselves change (a scan without error forgets the last one). While
// the user types in one of the boxes that start the scans, the error waits
// until the focus leaves that box or the typing pauses.

#include <QObject>

#include <string>
#include <vector>

class QTimer;
class QWidget;

namespace kiv {

class RoomErrorOnce : public QObject {
    Q_OBJECT

public:
    // typingBoxes: the boxes whose edits start room scans (the date and the
    // room); window: the parent of the error box.
    RoomErrorOnce(std::vector<QWidget*> typingBoxes, QWidget* window);

    // The errors (Windows-1252) of the last scan, of the folder and date that
    // scanKey names.
    void Report(const std::string& scanKey, const std::vector<std::string>& errors);

    // How long the typing must pause before a waiting error shows.
    void SetTypingPause(int milliseconds);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Typing() const;
    void ShowWaiting();

    std::vector<QWidget*> typingBoxes_;
    QWidget* window_;
    QTimer* pause_;
    std::string lastKey_;
    std::vector<std::string> lastErrors_;
    std::vector<std::string> waiting_;
};

} // namespace kiv
