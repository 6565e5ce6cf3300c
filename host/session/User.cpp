/*
 * User.cpp - which request a line answers, and the requests' names in
 * messages: the one rule every user is held to (the page reads it from the
 * engine's `accepts`, so it is said nowhere else).
 */
#include "host/session/User.h"

namespace host {

const char *requestName(Request r)
{
    switch (r) {
    case Request::Command: return "a command or directive";
    case Request::GetPoint: return "a point (GetPoint)";
    case Request::GetCursorPoint: return "a point (GetCursorPoint)";
    case Request::GetPointOrFigure: return "a region point (GetPointOrFigure)";
    case Request::Select: return "a selection (SelectFigures)";
    case Request::Panel: return "a panel event (WaitPanelEvent)";
    case Request::Group: return "a group number (GetGroupNumber)";
    case Request::Message: return "an answer to a message (ShowMessage)";
    case Request::Poll: return "a key (PollKey)";
    }
    return "?";
}

bool answersRequest(Request r, Verb v)
{
    if (v == Verb::Cancel)
        return r != Request::Command && r != Request::Poll;
    switch (r) {
    case Request::Command: return v == Verb::Run;
    case Request::GetPoint:
        return v == Verb::Point || v == Verb::Move || v == Verb::Repaint;
    case Request::GetCursorPoint:
        return v == Verb::Point || v == Verb::Move || v == Verb::Repaint || v == Verb::Confirm;
    case Request::GetPointOrFigure:
        return v == Verb::Point || v == Verb::Move || v == Verb::Repaint || v == Verb::Close;
    case Request::Select: return v == Verb::Select;
    case Request::Panel: return v == Verb::Panel;
    case Request::Group: return v == Verb::Group;
    case Request::Message: return v == Verb::Message;
    case Request::Poll: return v == Verb::Key;
    }
    return false;
}

} // namespace host
