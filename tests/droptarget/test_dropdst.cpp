// The file-drop target on a form, fed real drop handles: one event per drop,
// every drop finished, registration only where it is asked for.
#include <algorithm>

#include "droptarget/DROPDST.h"
#include "kit/Drops.h"
#include "kit/Toolkit.h"

using namespace tovanel;
using namespace tovanel::test;

namespace {

struct Dropped {
  TComponent* sender;
  std::vector<Text> files;
  int x, y;
};

struct DropTarget : FormTest {
  TShellCalls shell;
  std::vector<Dropped> events;
  std::vector<UINT> formOwn;  // what reached the form's own message handling
  TDropDst* drop = new TDropDst(form);

  // Built as a window's description builds it: handler, target, loading.
  DropTarget() {
    TWndMethod own = form->WindowProc;
    form->WindowProc = [this, own](TMessage& m) {
      formOwn.push_back(m.Msg);
      own(m);
    };
    drop->OnFileDrop = [this](TComponent* s, const std::vector<Text>& f, int x, int y) {
      events.push_back({s, f, x, y});
    };
    drop->SetTarget(THookTarget::htForm);
    form->FinishDescription();
  }
  // Before what the form's procedure records goes.
  ~DropTarget() override { forms.FreeAll(); }
  void SetUp() override {
    ASSERT_TRUE(shell.Installed());
    TShellCalls::Reset();
  }

  // Drops `names` on the form; returns the drop handle.
  HDROP Drop(const std::vector<Text>& names, bool post = false) {
    HDROP h = MakeDrop(names);
    formOwn.clear();
    events.clear();
    TShellCalls::Reset();
    if (post) {
      PostMessageW(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(h), 0);
      Pump();
    } else {
      SendMessageW(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(h), 0);
    }
    return h;
  }
};

TEST_F(DropTarget, EachDropRaisesOneEventWithItsNamesAndIsFinishedOnce) {
  const Text long260 = u"C:\\" + Text(260 - 3, u'a');
  const Text long600 = u"\\\\server\\share\\" + Text(600 - 15, u'b');
  struct Case {
    const char* what;
    std::vector<Text> names;
    bool post;
  } cases[] = {
      {"three names in order", {u"C:\\b.txt", u"C:\\a.txt", u"D:\\フォルダ"}, false},
      {"duplicates stay", {u"C:\\a.txt", u"C:\\a.txt"}, false},
      {"posted", {u"C:\\posted.txt"}, true},
      {"no names", {}, false},
      {"a name of 260 characters", {long260}, false},
      {"a name of 600 characters", {long600, u"C:\\after.txt"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HDROP h = Drop(c.names, c.post);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].sender, drop);
    EXPECT_EQ(events[0].files, c.names);
    EXPECT_EQ(std::pair(events[0].x, events[0].y), std::pair(12, 34));
    EXPECT_EQ(TShellCalls::finished, std::vector<HDROP>{h});
    EXPECT_EQ(std::count(formOwn.begin(), formOwn.end(), static_cast<UINT>(WM_DROPFILES)), 0);
  }
}

TEST_F(DropTarget, WithoutHandlerNothingIsReadButTheDropIsFinished) {
  drop->OnFileDrop = nullptr;
  HDROP h = Drop({u"C:\\a.txt", u"C:\\b.txt"});
  EXPECT_EQ(TShellCalls::queries, 0);
  EXPECT_EQ(TShellCalls::finished, std::vector<HDROP>{h});
}

TEST_F(DropTarget, HandlerErrorIsShownWithTheTargetAsSenderAndTheNextDropWorks) {
  auto record = drop->OnFileDrop;
  drop->OnFileDrop = [](TComponent*, const std::vector<Text>&, int, int) { throw Error(u"読めません"); };
  HDROP first = Drop({u"C:\\a.txt"});
  ASSERT_EQ(errors.shown.size(), 1u);
  EXPECT_EQ(errors.shown[0].Sender, drop);
  EXPECT_EQ(errors.shown[0].Message, u"読めません.");
  EXPECT_EQ(TShellCalls::finished, std::vector<HDROP>{first});
  errors.shown.clear();

  drop->OnFileDrop = record;
  HDROP second = Drop({u"C:\\b.txt"});
  EXPECT_EQ(events.size(), 1u);
  EXPECT_EQ(TShellCalls::finished, std::vector<HDROP>{second});
}

TEST_F(DropTarget, RegisteredByLoadingOnce) {
  EXPECT_TRUE(AcceptsFiles(form->Handle()));
  auto* other = forms.Make();
  auto* d = new TDropDst(other);
  d->SetTarget(THookTarget::htForm);
  EXPECT_EQ(d->HookTarget(), other);
  EXPECT_TRUE(TShellCalls::accepts.empty());  // hooking alone registers nothing
  other->FinishDescription();
  EXPECT_EQ(TShellCalls::accepts, (std::vector<std::pair<HWND, BOOL>>{{other->Handle(), static_cast<BOOL>(-1)}}));
  EXPECT_TRUE(AcceptsFiles(other->Handle()));
}

TEST_F(DropTarget, AcceptDropRegistersOnlyOnAChangeAndDropsArriveAnyway) {
  struct Case {
    bool value;
    std::size_t calls;
  } cases[] = {{true, 0}, {false, 1}, {false, 0}, {true, 1}, {true, 0}, {false, 1}};
  for (const Case& c : cases) {
    TShellCalls::Reset();
    drop->SetAcceptDrop(c.value);
    EXPECT_EQ(TShellCalls::accepts.size(), c.calls) << c.value;
    EXPECT_EQ(AcceptsFiles(form->Handle()), c.value);
  }
  Drop({u"C:\\late.txt"});
  EXPECT_EQ(events.size(), 1u);
}

TEST_F(DropTarget, RecreatedWindowIsRegisteredWithTheCurrentSetting) {
  for (bool accept : {true, false}) {
    drop->SetAcceptDrop(accept);
    TShellCalls::Reset();
    form->RecreateWnd();
    // The new window, and only it.
    EXPECT_EQ(TShellCalls::accepts, (std::vector<std::pair<HWND, BOOL>>{{form->Handle(), accept ? -1 : FALSE}}));
    EXPECT_EQ(AcceptsFiles(form->Handle()), accept);
    Drop({u"C:\\x.txt"});
    EXPECT_EQ(events.size(), 1u);
  }
}

}  // namespace
