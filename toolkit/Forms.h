#pragma once
// Top-level windows and the application object.
#include <functional>
#include <vector>

#include "base/Error.h"
#include "base/Handles.h"
#include "toolkit/Controls.h"

namespace tovanel {

using TCloseQueryEvent = std::function<void(TComponent* Sender, bool& CanClose)>;

enum class TBorderStyle { bsSingle, bsSizeToolWin };

class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* AOwner);
  ~TForm() override;

  TBorderStyle BorderStyle = TBorderStyle::bsSingle;
  // The window that owns this one (it then has no taskbar button of its own
  // and stays in front of it), or none.
  TForm* OwnerForm = nullptr;
  // Client size at 96 DPI; the outer size follows from the border.
  int ClientWidth = 0, ClientHeight = 0;
  // Screen position the window is made at.
  int DesignLeft = 0, DesignTop = 0;
  HICON Icon = nullptr;

  // Font: face, height in pixels at 96 DPI (negative: character height) and
  // character set; every control uses it unless it has its own.
  const Text& FontName() const { return FFontName; }
  void SetFontName(const Text& face);
  int FontHeight = -12;
  BYTE FontCharset = DEFAULT_CHARSET;
  HFONT FormFont() const;
  HFONT GetFont() const override { return FormFont(); }
  // A font of this form's face at another size, in points, for this DPI.
  HFONT PointFont(int points) const override;

  // Window position and outer size, in screen pixels. For a minimised
  // window these are the place it has when restored.
  int GetLeft();
  int GetTop();
  int GetOuterWidth();
  int GetOuterHeight();
  void SetLeft(int v);
  void SetTop(int v);
  void SetOuterWidth(int v);
  void SetOuterHeight(int v);
  // Position (and outer size) in one move: the window is laid out once.
  void SetPlace(int left, int top);
  void SetPlace(int left, int top, int outerWidth, int outerHeight);

  bool Visible() const;
  // Makes the window visible and brings it to the front; OnShow runs when it
  // goes from hidden to shown.
  void Show();
  void Hide();
  // Asks the window to close: OnCloseQuery decides; the main window then
  // ends the message loop, any other window hides.
  void Close();

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TCloseQueryEvent OnCloseQuery;

  void WndProc(TMessage& Message) override;

  // A control whose hint is shown registers its window here (true when it
  // did), handing over the mouse message that brought it, and withdraws it
  // when the window goes.
  bool AddToolTip(TWinControl* control, const MSG& mouse) override;
  void RemoveToolTip(TWinControl* control) override;
  // Errors of the form's controls go to the application's error display.
  void HandleException(TComponent* Sender, const std::exception& e) override;

 protected:
  // Ends the window's description: Loaded on every owned component, then
  // OnCreate. A form's constructor calls it last.
  void DescriptionLoaded();
  void CreateParams(TCreateParams& Params) override;
  void CreateHandle() override;
  void UpdateBounds() override;

 private:
  RECT PlacedRect();
  void RestoreFocus();
  Text FFontName = u"MS Shell Dlg";
  // Fonts go after the window (the destructor destroys it first), since its
  // controls may hold them until then.
  // One font a resolution met (a window that moves between two monitors
  // uses two), so that moving back and forth makes no new ones.
  mutable std::vector<std::pair<UINT, TFont>> FFonts;
  mutable std::vector<std::pair<std::pair<int, UINT>, TFont>> FPointFonts;
  HWND FToolTip = nullptr;
  HWND FFocused = nullptr;
  bool FShownOnce = false;
};

class TApplication : public TComponent {
 public:
  TApplication();

  // The program's name, the error display's title; set before Initialize.
  Text Title;
  // Makes the hidden application window (the clipboard's owner), of the
  // class TWinControl::ClassPrefix() + "Application".
  void Initialize();
  HWND Handle() const { return FHandle.Get(); }
  TForm* MainForm = nullptr;

  // Shows the main window and runs the message loop until it ends.
  int Run();
  // Handles the messages waiting now (for tests and long work).
  void ProcessMessages();
  void Terminate();
  bool Terminated() const { return FTerminated; }

  // The default error display: a message box with an error icon titled with
  // the title. Replaceable, so that tests can watch it.
  void HandleException(TComponent* Sender, const std::exception& e);
  std::function<void(TComponent* Sender, const Text& message)> ShowError;

  // Keyboard navigation and accelerators of our windows; true when handled.
  bool IsDialogMessageOf(MSG& msg);

 private:
  TWindow FHandle;
  bool FTerminated = false;
};

TApplication& Application();

}  // namespace tovanel
