// What the program adds to the framework, installed once at start-up (before the first
// window): its font fix for Chinese texts in dialogs and message boxes, its wording of
// errors that escape a handler and of network errors, and the dispatch of owner-drawn
// menu items to their menu objects.
#pragma once

void InstallProgramHooks();
