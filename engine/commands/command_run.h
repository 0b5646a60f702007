// Executors of picked commands, run by the front ends after the commit.
#pragma once
#include "core/record/engine.h"

// Runs the command of InputState::pickedAction with InputState::commandArgument. Returns the
// command bit that ran (kRunBit*), 0 when none: after kRunBitSet the front end refreshes
// its status display, after kRunBitConvert its punctuation and width marks.
uint32_t RunPickedCommand(Engine* engine);

// "run(": opens the file or address, shown normally. 1 when started.
int RunOpenCommand(const wchar_t* target);
// One settings line; starts the installer hidden when the window style bits changed.
int RunSetCommand(Engine* engine, const wchar_t* line);
// "name,value" of the punctuation, width and script switches.
int RunConvertCommand(Engine* engine, const wchar_t* argument);
// Plays the key groups of a "keyboard(" command; the groups played.
int RunKeyboardCommand(Engine* engine, const wchar_t* argument);
// "folder,file": a picture is pasted, a document read through the word reader and pasted.
int RunReadFileCommand(Engine* engine, const wchar_t* argument);
// config.exe "/n <guid> <request>"; owner: of the shell's error boxes.
int LaunchConfigProgram(Engine* engine, const wchar_t* request, HWND owner = nullptr);
// config.exe showing topic of main.chm in a cx by cy window.
int ShowHelpTopic(Engine* engine, const wchar_t* topic, int cx, int cy);
