#pragma once

#include <string>

// Whether the D-Bus session bus answers at all, asked with the C library
// alone before Qt connects to it. Qt's accessibility bridge connects to the
// session bus on the GUI thread the first time a widget is named for screen
// readers, and waits for it without a bound: a bus that takes connections but
// never answers (a hung session) would keep the window from ever showing.
enum class SessionBusAnswer {
    Answers,     // the handshake and a Hello came back in time
    Silent,      // it took the connection and said nothing in time
    Unreachable, // nothing takes the connection: Qt's own attempt fails at once
    NotChecked,  // an address of a kind asked here not (Qt is left to it)
};

struct SessionBusProbe
{
    SessionBusAnswer answer = SessionBusAnswer::NotChecked;
    std::string where;  // the address part asked
    std::string detail; // what happened, for the log
};

// Asks the first reachable `unix:path=`, `unix:abstract=` or `tcp:` part of
// a D-Bus address (as in $DBUS_SESSION_BUS_ADDRESS) for the authentication
// handshake and a Hello, waiting at most `timeoutMs` in all.
SessionBusProbe probeSessionBus(const std::string &address, int timeoutMs);
