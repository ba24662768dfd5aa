// Facts about the console the program was started from.
#pragma once

namespace meridox::platform {

// True when standard input is a terminal a person can answer questions on.
bool StdinIsInteractive();

// Makes the console show UTF-8 output as text (Windows); nothing to do elsewhere.
void UseUtf8Console();

}  // namespace meridox::platform
