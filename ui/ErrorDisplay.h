#pragma once
#include <exception>
#include <type_traits>
#include <utility>

#include <QString>

class QWidget;

// The title of every error box: the program file's name without its folder, cut at
// its first full stop, the first character as it is and the rest lower case
// ("EDITOR.EXE" gives "Editor", "relief_foundry" stays "relief_foundry").
QString AppTitle();
QString AppTitleFromPath(const QString& programPath);

// Shows a failure the way the whole program does: its message with a full stop
// appended, a stop icon and one OK button, titled with AppTitle(). Goes through the
// dialog seam, so tests see it.
void ShowError(QWidget* parent, const QString& message);

// Shows the exception currently being handled (call only inside a catch block).
void ShowCurrentException(QWidget* parent);

// Wraps an event handler so that an exception leaving it is shown and the event loop
// goes on. Every signal connection of the windows goes through this: Qt must never
// see an exception unwind through its own frames.
template <class Handler>
auto Guarded(QWidget* parent, Handler handler)
{
    return [parent, handler = std::move(handler)](auto&&... args) {
        try {
            // A handler may ignore what the signal carries (a menu item's checked flag).
            if constexpr (std::is_invocable_v<const Handler&, decltype(args)...>)
                handler(std::forward<decltype(args)>(args)...);
            else
                handler();
        } catch (...) {
            ShowCurrentException(parent);
        }
    };
}
