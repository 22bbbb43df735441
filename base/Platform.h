#pragma once
// How the program reaches the platform where tests must stage it. Each group
// of such calls is one struct of std::function members, one per call and
// named after it, whose static Real() returns the platform's own calls. The
// code reads the group through Calls<Group>(), which holds Real() until a
// test installs another (the test kit's TStaged does that for one scope).
// Pure logic takes the group as a parameter instead, so that it builds and
// runs without the platform.
namespace tovanel {

template <class Group>
Group& Calls() {
  static Group group = Group::Real();
  return group;
}

}  // namespace tovanel
