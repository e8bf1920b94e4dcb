// The program's entry: decides what kind of process this start makes
// (DecideStart) and carries it out: the main window TZOZUvavada, the
// creator window alone, a hand-over of the request to the running copy by
// WM_COPYDATA, or an immediate end.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The running copy's main window: the top-level window of class
// "TZOZUvavada"; none while a window of class "TAppBuilder" exists.
HWND FindRunningCopy();

// Sends a hand-over record to the running copy's window and waits (a bounded
// time) until it has taken it. payload: the path with its zero byte (cbData
// is its size).
void SendHandOver(HWND target, std::uint32_t code, const std::string& payload);

// The main-window process: creates the window (then calls windowMade),
// checks the request of the command line at its first activation, runs the
// message loop.
int RunMainWindowProcess(const std::vector<std::string>& args, const std::function<void()>& windowMade = {});

// The whole start: args are the arguments after the program's name. Always 0.
int RunQuor(const std::vector<std::string>& args);
