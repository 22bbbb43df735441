#pragma once
// A window's controls described as a table, one row a control, and the
// routine that builds them. A row names the form's field that the control
// fills (the field's type is the control's class), the details of its kind,
// its parent, its design bounds, alignment, caption, hint, tab order,
// picture and handler, the last two bound by member pointer.
#include <span>
#include <utility>
#include <variant>

#include "toolkit/ComCtrls.h"
#include "toolkit/Forms.h"
#include "toolkit/StdCtrls.h"

namespace tovanel {

// The classes a row can make, in the order of TFieldOf's alternatives.
enum class TKindClass { ToolBar, ToolButton, Frame, RadioGroup, Edit, Button, StatusBar, ListBox };

template <class F>
using TFieldOf = std::variant<TToolBar* F::*, TToolButton* F::*, TGroupBox* F::*, TRadioGroup* F::*, TEdit* F::*,
                              TButton* F::*, TStatusBar* F::*, TListBox* F::*>;

// The window itself as a parent.
struct TThisWindow {
  friend constexpr bool operator==(TThisWindow, TThisWindow) = default;
};
inline constexpr TThisWindow kWindow{};
template <class F>
using TParentOf = std::variant<TThisWindow, TToolBar* F::*, TGroupBox* F::*>;

// The kind of control, with what that kind needs beyond the other columns.
struct TKind {
  TKindClass cls;
  int columns = 0;                               // radio group
  std::span<const char16_t* const> items = {};  // radio group
  int maxLength = 0;                             // edit box
  bool readOnly = false;                         // edit box
  int color = COLOR_WINDOW;                      // edit box
  int buttonWidth = 0, buttonHeight = 22;        // toolbar
  bool wrapable = false;                         // toolbar
  bool rowBreak = false;                         // toolbar separator
};

inline constexpr TKind kFrame{TKindClass::Frame}, kPushButton{TKindClass::Button},
    kToolButton{TKindClass::ToolButton}, kSeparator{TKindClass::ToolButton}, kStatusBar{TKindClass::StatusBar},
    kListBox{TKindClass::ListBox};
inline constexpr TKind kRowBreak{.cls = TKindClass::ToolButton, .rowBreak = true};

constexpr TKind ToolBarKind(int buttonWidth, int buttonHeight, bool wrapable) {
  return {.cls = TKindClass::ToolBar, .buttonWidth = buttonWidth, .buttonHeight = buttonHeight, .wrapable = wrapable};
}
constexpr TKind RadioGroupKind(int columns, std::span<const char16_t* const> items) {
  return {.cls = TKindClass::RadioGroup, .columns = columns, .items = items};
}
constexpr TKind EditKind(int maxLength, bool readOnly = false, int color = COLOR_WINDOW) {
  return {.cls = TKindClass::Edit, .maxLength = maxLength, .readOnly = readOnly, .color = color};
}

struct TBounds {
  int left, top, width, height;
};

struct THint {
  const char16_t* text = nullptr;
  bool shown = false;
};

// An image of one of the form's image lists; a toolbar takes the whole list.
template <class F>
struct TPicture {
  TImageList* F::*list = nullptr;
  int index = -1;
};

inline constexpr int kNoTabStop = -1;

template <class F>
struct TControlRow {
  TFieldOf<F> field;
  const char16_t* name;
  TKind kind;
  TParentOf<F> parent;
  TBounds bounds;  // toolbar buttons are placed by their toolbar
  TAlign align;
  const char16_t* caption;
  THint hint;
  int tabOrder;  // among its parent's children
  TPicture<F> picture;
  void (F::*handler)(TComponent* Sender);  // the kind's main event
};

// Each row's kind matches its field, and siblings stand in their tab order,
// which is the order in which they are made.
template <class F, std::size_t N>
consteval bool WellFormed(const TControlRow<F> (&rows)[N]) {
  for (std::size_t i = 0; i < N; ++i) {
    if (static_cast<std::size_t>(rows[i].kind.cls) != rows[i].field.index()) return false;
    for (std::size_t j = i + 1; j < N; ++j)
      if (rows[j].parent == rows[i].parent && rows[i].tabOrder != kNoTabStop && rows[j].tabOrder != kNoTabStop &&
          rows[j].tabOrder <= rows[i].tabOrder)
        return false;
  }
  return true;
}

// The handler as an event of any signature, calling the form's member.
template <class F, class... A>
auto Bind(F* form, void (F::*handler)(A...)) {
  return [form, handler](A... a) { (form->*handler)(std::forward<A>(a)...); };
}

// The control a row names as its parent.
template <class F>
TWinControl* ParentOf(F* form, const TControlRow<F>& row) {
  return std::visit(
      [form](auto parent) -> TWinControl* {
        if constexpr (std::is_same_v<decltype(parent), TThisWindow>)
          return form;
        else
          return form->*parent;
      },
      row.parent);
}

// Makes one row's control and stores it in its field.
template <class F, class T>
TControl* BuildControl(F* form, const TControlRow<F>& row, T*& field) {
  const TKind& k = row.kind;
  auto handler = [form, h = row.handler](TComponent* s) { (form->*h)(s); };
  auto images = [&] { return row.picture.list ? form->*row.picture.list : nullptr; };
  if constexpr (std::is_same_v<T, TToolButton>) {
    field = static_cast<TToolBar*>(ParentOf(form, row))->AddButton(form, row.name, row.caption, row.picture.index);
    field->Wrap = k.rowBreak;
    if (row.handler) field->OnClick = handler;
    return field;
  } else {
    field = new T(form);
    field->SetName(row.name);
    field->SetBounds(row.bounds.left, row.bounds.top, row.bounds.width, row.bounds.height);
    field->Align = row.align;
    if (row.hint.text) field->SetHint(row.hint.text);
    field->ShowHint = row.hint.shown;
    if constexpr (std::is_same_v<T, TToolBar>) {
      field->Images = images();
      field->ButtonWidth = k.buttonWidth;
      field->ButtonHeight = k.buttonHeight;
      field->Wrapable = k.wrapable;
    } else if constexpr (std::is_same_v<T, TStatusBar>) {
      field->SetSimpleText(row.caption);
    } else {
      if (row.caption) field->SetText(row.caption);
    }
    if constexpr (std::is_same_v<T, TRadioGroup>) {
      field->Columns = k.columns;
      field->Items.assign(k.items.begin(), k.items.end());
    }
    if constexpr (std::is_same_v<T, TEdit>) {
      field->ReadOnly = k.readOnly;
      field->MaxLength = k.maxLength;
      field->Color = k.color;
      field->OnChange = handler;
    } else if constexpr (std::is_same_v<T, TButton>) {
      field->Images = images();
      field->ImageIndex = row.picture.index;
    }
    if constexpr (requires { field->OnClick; })
      if (row.handler) field->OnClick = handler;
    return field;
  }
}

// Makes the rows' controls in order, owned by `form` and stored in their
// fields. A control is given its parent only once its properties are set,
// and the window's own children (whose windows are made at once) only after
// every row, so that each window is made complete, once.
template <class F, std::size_t N>
void BuildControls(F* form, const TControlRow<F> (&rows)[N]) {
  std::vector<TWinControl*> topLevel;
  for (const TControlRow<F>& row : rows) {
    TControl* made = nullptr;
    std::visit([&](auto member) { made = BuildControl(form, row, form->*member); }, row.field);
    if (row.kind.cls == TKindClass::ToolButton) continue;  // its toolbar parents it
    auto* control = static_cast<TWinControl*>(made);
    TWinControl* parent = ParentOf(form, row);
    if (parent == form)
      topLevel.push_back(control);
    else
      control->SetParent(parent);
  }
  for (TWinControl* c : topLevel) c->SetParent(form);
}

}  // namespace tovanel
