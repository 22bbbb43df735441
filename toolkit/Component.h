#pragma once
// Components: objects with an owner that destroys them, a name by which the
// owner finds them, removal notices and a load-completion step.
#include <cstdint>
#include <functional>
#include <vector>

#include "base/Text.h"

namespace tovanel {

class TComponent;

enum class TOperation { opInsert, opRemove };

using TNotifyEvent = std::function<void(TComponent* Sender)>;

class TComponent {
 public:
  explicit TComponent(TComponent* AOwner);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return FOwner; }
  const Text& Name() const { return FName; }
  void SetName(Text value) { FName = std::move(value); }
  // Every component carries an integer for its owner's use.
  intptr_t Tag = 0;

  const std::vector<TComponent*>& Components() const { return FComponents; }
  // The owned component with this name (letter case ignored, as names are
  // identifiers), or none.
  TComponent* FindComponent(TextView name) const;

  // Ask `other` to call this->Notification(other, opRemove) when it is
  // destroyed. Either side may go first; the request is dropped then.
  void FreeNotification(TComponent* other);
  void RemoveFreeNotification(TComponent* other);

  // Called once on each component after its owner's description is built.
  virtual void Loaded() {}
  virtual void Notification(TComponent* AComponent, TOperation Operation);

  // Only a form designer sets the design state; at run time it never holds.
  bool Designing() const { return false; }

 private:
  void InsertComponent(TComponent* c);
  void RemoveComponent(TComponent* c);
  // Whether `c` hears of this component's removal through its requests.
  bool HearsDirectly(const TComponent* c) const;

  TComponent* FOwner = nullptr;
  Text FName;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  // Those already told of this component's removal, while it is destroyed.
  std::vector<TComponent*> FNotified;
};

}  // namespace tovanel
