#pragma once
// The application's error box: error icon, OK, caption "Kiv Logs", the French
// text with its full stop, written to standard error as well. Every handler
// of the window reports its failures here and goes on with the program.

#include "logscan/KivError.h"

#include <QWidget>

#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace kiv {

// When set, receives what the box would show (Windows-1252 bytes, full stop
// added) instead of the box: tests capture the messages this way.
inline std::function<void(QWidget* parent, const std::string& shownText)> ErrorBoxHook;

// Shows the error text (Windows-1252 bytes) in the application's error box.
void ShowKivError(QWidget* parent, const std::string& cp1252Text);

// What one box says of a scan's errors: the first of them, one per line, each
// with its full stop, and when there are more than the box can show, a last
// line that counts the others; the whole list goes to the box's details,
// where it can be read and copied. A folder of twenty thousand unreadable
// logs must not give a box whose OK button lies below the screen.
struct ErrorBoxText {
    std::string shown;   // Windows-1252
    std::string details; // Windows-1252, empty when shown holds every error
};
inline constexpr std::size_t ErrorsShownInBox = 20;
ErrorBoxText ScanErrorsText(const std::vector<std::string>& cp1252Texts);

// Shows the errors of one scan in one box (see ScanErrorsText); shows nothing
// when there are none.
void ShowKivErrors(QWidget* parent, const std::vector<std::string>& cp1252Texts);

// Runs body; an error it raises is shown in the error box. True when body
// ended normally.
template <typename Body>
bool ReportErrors(QWidget* parent, Body&& body)
{
    try {
        body();
        return true;
    } catch (const KivError& error) {
        ShowKivError(parent, error.what());
    } catch (const std::exception& error) {
        ShowKivError(parent, error.what());
    }
    return false;
}

} // namespace kiv
