#include "toolkit/Component.h"

#include <algorithm>

namespace tovanel {

namespace {
void Erase(std::vector<TComponent*>& v, TComponent* c) { v.erase(std::remove(v.begin(), v.end(), c), v.end()); }
}  // namespace

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  // Those who asked hear of the removal first. Each hears of it once: a
  // fellow that asked is left out of the owner's notice below.
  while (!FFreeNotifies.empty()) {
    TComponent* c = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    Erase(c->FFreeNotifies, this);
    FNotified.push_back(c);
    c->Notification(this, TOperation::opRemove);
  }
  // Owned components go last-made first.
  while (!FComponents.empty()) delete FComponents.back();
  if (FOwner) FOwner->RemoveComponent(this);
}

TComponent* TComponent::FindComponent(TextView name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (SameName(c->FName, name)) return c;
  return nullptr;
}

void TComponent::FreeNotification(TComponent* other) {
  if (!other || other == this) return;
  if (std::find(other->FFreeNotifies.begin(), other->FFreeNotifies.end(), this) == other->FFreeNotifies.end())
    other->FFreeNotifies.push_back(this);
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), other) == FFreeNotifies.end())
    FFreeNotifies.push_back(other);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
  if (!other) return;
  Erase(other->FFreeNotifies, this);
  Erase(FFreeNotifies, other);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == TOperation::opRemove) {
    // Fellow components hear of each other's removal too.
    for (TComponent* c : std::vector<TComponent*>(FComponents))
      if (c != AComponent && !AComponent->HearsDirectly(c)) c->Notification(AComponent, Operation);
  }
}

void TComponent::InsertComponent(TComponent* c) {
  c->FOwner = this;
  FComponents.push_back(c);
}

void TComponent::RemoveComponent(TComponent* c) {
  Erase(FComponents, c);
  c->FOwner = nullptr;
  // An owner that asked was told already, and passed it on to the fellows.
  if (!c->HearsDirectly(this)) Notification(c, TOperation::opRemove);
}

bool TComponent::HearsDirectly(const TComponent* c) const {
  return std::find(FFreeNotifies.begin(), FFreeNotifies.end(), c) != FFreeNotifies.end() ||
         std::find(FNotified.begin(), FNotified.end(), c) != FNotified.end();
}

}  // namespace tovanel
