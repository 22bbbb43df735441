// Components: ownership, lookup by name, removal notices and the
// load-completion step of a form's description.
#include <algorithm>

#include "kit/Toolkit.h"

using namespace tovanel;
using namespace tovanel::test;

namespace {

// Writes its loading, removal notices and destruction into a shared log.
class TProbe : public TComponent {
 public:
  TProbe(TComponent* owner, const char16_t* name, Log& log) : TComponent(owner), log_(log) { SetName(name); }
  ~TProbe() override { log_.push_back("~" + ToUtf8(Name())); }
  void Loaded() override { log_.push_back("Loaded " + ToUtf8(Name())); }
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == TOperation::opRemove) log_.push_back(ToUtf8(Name()) + " hears " + ToUtf8(c->Name()) + " go");
  }

 private:
  Log& log_;
};

TEST(Components, OwnerDestroysWhatItOwnsAndFindsItByName) {
  Log log;
  auto* root = new TProbe(nullptr, u"root", log);
  auto* edit = new TProbe(root, u"EditFile", log);
  new TProbe(edit, u"Inner", log);
  auto* btn = new TProbe(root, u"BtnChar1", log);
  EXPECT_EQ(root->FindComponent(u"editfile"), edit);  // names are identifiers: case is ignored
  EXPECT_EQ(root->FindComponent(u"BtnChar1"), btn);
  EXPECT_EQ(root->FindComponent(u"BtnChar"), nullptr);
  EXPECT_EQ(root->FindComponent(u"Inner"), nullptr);  // only what it owns itself
  delete root;
  Log gone;
  std::copy_if(log.begin(), log.end(), std::back_inserter(gone), [](auto& l) { return l[0] == '~'; });
  EXPECT_EQ(gone, (Log{"~root", "~BtnChar1", "~EditFile", "~Inner"}));
}

TEST(Components, EachWatcherHearsOfARemovalOnce) {
  // Who watches the component that goes: a stranger, a fellow of the same
  // owner (which also hears through the owner), or the owner itself.
  enum Who { stranger, fellow, owner };
  for (Who who : {stranger, fellow, owner}) {
    SCOPED_TRACE(who);
    Log log;
    auto* home = new TProbe(nullptr, u"home", log);
    auto* away = new TProbe(nullptr, u"away", log);
    auto* watched = new TProbe(home, u"watched", log);
    TProbe* watcher = who == owner ? home : new TProbe(who == fellow ? home : away, u"watcher", log);
    auto* bystander = new TProbe(home, u"bystander", log);
    watcher->FreeNotification(watched);
    watcher->FreeNotification(watched);  // asking twice is asking once
    delete watched;
    for (TProbe* p : {watcher, bystander}) {
      const std::string heard = ToUtf8(p->Name()) + " hears watched go";
      EXPECT_EQ(std::count(log.begin(), log.end(), heard), 1) << heard;
    }
    delete home;
    delete away;
  }
}

TEST(Components, DescriptionLoadsEachComponentOnceThenRunsOnCreate) {
  TErrorRecorder errors;
  Log log;
  auto* form = new TTestForm;
  new TProbe(form, u"one", log);
  auto* two = new TProbe(form, u"two", log);
  new TProbe(two, u"nested", log);  // owned by a component, not by the form
  form->OnCreate = [&](TComponent*) { log.push_back("OnCreate"); };
  form->FinishDescription();
  EXPECT_EQ(log, (Log{"Loaded one", "Loaded two", "OnCreate"}));
  EXPECT_FALSE(form->HandleAllocated());
  delete form;
}

}  // namespace
