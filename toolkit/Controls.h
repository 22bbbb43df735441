#pragma once
// Controls over plain Win32 windows. Every control's window belongs to a
// class of ours whose window procedure hands each message, WM_NCCREATE and
// WM_CREATE included, to the object's replaceable WindowProc; a system
// control's own procedure is reached through DefaultHandler. Unlike Win32
// subclassing, a replaced WindowProc sees creation and survives re-creation.
#include <windows.h>

#include <exception>
#include <functional>
#include <vector>

#include "toolkit/Component.h"

namespace tovanel {

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

using TWndMethod = std::function<void(TMessage&)>;

// Messages a parent reflects back to the child control they concern.
enum : UINT {
  CN_BASE = 0xBC00,
  CN_COMMAND = CN_BASE + WM_COMMAND,
  CN_NOTIFY = CN_BASE + WM_NOTIFY,
  CN_CTLCOLOR = CN_BASE + WM_CTLCOLOREDIT,  // any WM_CTLCOLOR*; WParam is the DC
};

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

class TWinControl;
class TForm;

// A control: a component with a parent, design bounds at 96 DPI, a caption,
// a hint and an enabled state.
class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner) : TComponent(AOwner) {}
  ~TControl() override;

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);

  // Design geometry, at 96 pixels per inch, relative to the parent's client area.
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TAlign Align = TAlign::alNone;

  bool Enabled() const { return FEnabled; }
  // Runs no handler.
  virtual void SetEnabled(bool value);

  const Text& Hint() const { return FHint; }
  void SetHint(Text value) { FHint = std::move(value); }
  bool ShowHint = false;

  // The form that holds this control, following parents (a form without a
  // parent holds itself); none when the topmost parent is not a form.
  TForm* ParentForm() const;

 protected:
  friend class TWinControl;
  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  bool FEnabled = true;
  Text FHint;
};

// A control with a platform window, made on demand.
class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  // The window handle; makes the window (its parents' first) when there is none.
  HWND Handle();
  // Whether the window exists; never makes it.
  bool HandleAllocated() const { return FHandle != nullptr; }
  // Destroys the platform window and makes a new one.
  void RecreateWnd();

  // Every message the control receives passes through WindowProc; its
  // default is WndProc. Whoever replaces it hands messages on as it sees fit.
  TWndMethod WindowProc;
  virtual void WndProc(TMessage& Message);
  // The platform's own handling of the message (the system class's
  // procedure, or DefWindowProc).
  void DefaultHandler(TMessage& Message);
  LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetEnabled(bool value) override;

  // What a screen reader announces for a control that shows no caption of
  // its own (an edit box, a list); empty for none. Given to the platform
  // when a screen reader first asks for the control (toolkit/Accessible.h).
  Text AccessibleName;

  virtual Text GetText() const;
  // Sets the window text; no handler runs here (controls with a change
  // handler add their own rule).
  virtual void SetText(const Text& value);

  const std::vector<TControl*>& Controls() const { return FControls; }

  // Pixels for a design length on this control's monitor.
  int Scale(int designPixels) const;
  UINT Dpi() const;
  // Applies the design geometry at the current DPI, children included.
  virtual void UpdateBounds();
  // Lays out aligned children inside the client area.
  void AlignControls();
  // The font the control draws with: its parent's unless it has its own.
  virtual HFONT GetFont() const;

  // Finds the control object behind a window of ours.
  static TWinControl* FromHandle(HWND hwnd);

  // Our window classes are named with this prefix and the kind
  // ("<prefix>Window", "<prefix>BUTTON", ...), which is how FromHandle tells
  // our windows from any other. The program sets its own before it makes its
  // first window: windows of a class named with an earlier prefix are not
  // recognised afterwards.
  static const Text& ClassPrefix();
  static void SetClassPrefix(Text prefix);

  // What a control needs from the window that holds it, asked up the parent
  // chain; a form replies (TForm overrides each), and a control that no form
  // holds gets the reply given here at the top.
  // The font for a size in points at this DPI; none at the top.
  virtual HFONT PointFont(int points) const;
  // Registers a control's window with the tool tip for its hint (true when
  // it did), handing over the mouse message that brought it; false at the top.
  virtual bool AddToolTip(TWinControl* control, const MSG& mouse);
  virtual void RemoveToolTip(TWinControl* control);
  // An error that escaped one of the control's handlers; at the top there is
  // nobody to show it to, and it only goes to the debugger's output.
  virtual void HandleException(TComponent* Sender, const std::exception& e);

 protected:
  struct TCreateParams {
    const wchar_t* SystemClass = nullptr;  // superclassed system class, or none
    DWORD Style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, W = 0, H = 0;
    HWND WndParent = nullptr;
    HMENU Id = nullptr;
  };
  virtual void CreateParams(TCreateParams& Params);
  virtual void CreateHandle();
  // After the window exists: font, state and whatever the window holds.
  virtual void CreateWnd();
  // The part of the client area that aligned controls share.
  virtual RECT AlignRect();
  virtual void DestroyHandle();
  // Kept while the window exists so that a re-created window gets it back.
  Text FText;
  bool FVisible = true;

  friend class TControl;
  friend LRESULT CALLBACK ControlWndProc(HWND, UINT, WPARAM, LPARAM);
  HWND FHandle = nullptr;
  // The resolution the last WM_DPICHANGED named for this top-level window,
  // which Dpi takes before asking the platform; 0 for none since creation.
  UINT FDpiChangedTo = 0;
  WNDPROC FDefWndProc = nullptr;
  std::vector<TControl*> FControls;

 private:
  void AlignOnce();
  bool FAligning = false, FRealign = false;
  bool FHintShown = false;  // the form's tool tip knows this window
  // The accessible name was offered to the platform, and it took it.
  bool FNameOffered = false, FNameGiven = false;
  void InsertControl(TControl* c);
  void RemoveControl(TControl* c);
  void ReflectToChild(TMessage& Message, HWND child, UINT cn);
};

// DPI of the monitor a window is on (96 when the platform cannot say): the
// window's own where the system can say it, else its monitor's, else the
// system's.
UINT WindowDpi(HWND hwnd);

// The platform's resolution calls that WindowDpi makes, each empty where the
// system lacks it: GetDpiForWindow before Windows 10 1607, GetDpiForMonitor
// before 8.1 (and not looked up where GetDpiForWindow exists). Tests stage older systems, and monitors of other resolutions.
struct DpiPlatform {
  std::function<UINT(HWND)> getDpiForWindow;
  std::function<HRESULT(HMONITOR, int, UINT*, UINT*)> getDpiForMonitor;

  static DpiPlatform Real();
};

}  // namespace tovanel
