#include "app/runs/PrintJobRun.h"

#include "app/window/KivErrorBox.h"

#include <utility>

namespace kiv {

PrintJobRun::PrintJobRun(QWidget* window)
    : QObject(window)
    , window_(window)
    , run_(window, nullptr, [this](Run::Ending ending) { End(std::move(ending)); }, [this] { CalledOff(); })
{}

bool PrintJobRun::Start(Job job)
{
    if (!run_.Start([job = std::move(job)](Run::Outbox& out) {
            job(out.Cancelled());
            return std::monostate{};
        }))
        return false;
    emit RunningChanged(true);
    return true;
}

void PrintJobRun::End(Run::Ending ending)
{
    if (!ending.failure.empty())
        ShowKivError(window_, ending.failure);
    emit RunningChanged(false);
    emit Finished(ending.failure.empty());
}

void PrintJobRun::CalledOff()
{
    emit RunningChanged(false);
    emit Finished(false);
}

} // namespace kiv
