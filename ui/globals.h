#pragma once
// The five windows of the program, each reachable through one global reference.

class TSplashForm;
class TForm1;
class TAboutDialog;
class TscriptProgress;
class TRegViewForm;

extern TSplashForm* SplashForm;
extern TForm1* Form1;
extern TAboutDialog* AboutDialog;
extern TscriptProgress* scriptProgress;
extern TRegViewForm* RegViewForm;

// The application title: task-bar text and caption of plain message boxes.
inline constexpr const char* kAppTitle = "EVM control application";
