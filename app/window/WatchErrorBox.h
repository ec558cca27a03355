#pragma once
// The watch's errors, one box at a time. A share that drops and comes back
// again and again during a lesson must not stack a modal box on each drop:
// what goes wrong while a box is open waits for it to close and comes in the
// next one, each message once.

#include <QObject>

#include <string>
#include <vector>

class QWidget;

namespace kiv {

class WatchErrorBox : public QObject {
public:
    explicit WatchErrorBox(QWidget* parent);

    // Shows the errors (Windows-1252) in the error box, or, while one is
    // open, adds them to the next.
    void Show(const std::vector<std::string>& errors);

private:
    QWidget* parent_;
    std::vector<std::string> waiting_;
    bool open_ = false;
};

} // namespace kiv
