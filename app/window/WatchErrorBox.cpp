#include "app/window/WatchErrorBox.h"

#include "app/window/KivErrorBox.h"

#include <QWidget>

#include <algorithm>
#include <utility>

namespace kiv {

WatchErrorBox::WatchErrorBox(QWidget* parent) : QObject(parent), parent_(parent) {}

void WatchErrorBox::Show(const std::vector<std::string>& errors)
{
    for (const std::string& error : errors)
        if (std::find(waiting_.begin(), waiting_.end(), error) == waiting_.end())
            waiting_.push_back(error);
    if (open_)
        return;
    open_ = true;
    while (!waiting_.empty())
        ShowKivErrors(parent_, std::exchange(waiting_, {}));
    open_ = false;
}

} // namespace kiv
