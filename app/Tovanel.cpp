// Tovanel's entry: data folder, application, main window, list window,
// redirection functions, message loop.
#include <windows.h>

#include "app/DataFolder.h"
#include "app/Settings.h"
#include "base/StartupProfile.h"
#include "names/Wow64.h"
#include "text/Clipboard.h"
#include "toolkit/Forms.h"
#include "windows/List.h"
#include "windows/Main.h"

using namespace tovanel;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  TOVANEL_STAGE("entry");
  // Without its data folder the program has nowhere to keep its settings:
  // it ends at once, silently.
  if (!InitDataFolder(u"Tovanel", false)) return 0;
  TOVANEL_STAGE("data folder");

  TWinControl::SetClassPrefix(u"Tovanel.");
  TApplication& app = Application();
  app.Title = u"Tovanel";
  try {
    app.Initialize();
    SetClipboardOwner(app.Handle());
    TOVANEL_STAGE("application window");
    {
      // Both creation handlers read their places from one read of the file.
      const TSettingsSnapshot settings;
      MainForm = new TMainForm(&app);
      app.MainForm = MainForm;
      ListForm = new TListForm(&app);
    }
  } catch (const std::exception& e) {
    app.HandleException(nullptr, e);
    return 0;
  }
  InitWow64();
  TOVANEL_STAGE("redirection functions");
  return app.Run();
}
