// Debian's libc++abi for WebAssembly is built without exceptions: it has no __cxa_throw, and its
// operator new returns null when memory runs out instead of throwing. No catch can ever run
// there, so a throw, or memory running out, ends the program with the message of what went
// wrong and the status of the run-time errors, as FailRuntime does. Linked into every program
// of that build; the programs of the other builds throw and catch as usual.
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <typeinfo>

#include "figures/numbers.h"

namespace {

// The Itanium C++ ABI's record of a class with one public, non-virtual base at offset zero
// (abi::__si_class_type_info), as far as it is read here: the base's type_info follows
// type_info's own members.
struct SingleBaseTypeInfo : std::type_info {
  const std::type_info* base;
};

// Whether the class is std::exception or has it as the first base of a chain of single
// inheritance, so that the object is a std::exception at its own address.
bool IsStdException(const std::type_info* type) {
  while (type != nullptr) {
    if (*type == typeid(std::exception)) return true;
    if (std::strcmp(typeid(*type).name(), "N10__cxxabiv120__si_class_type_infoE") != 0) {
      return false;
    }
    type = static_cast<const SingleBaseTypeInfo*>(type)->base;
  }
  return false;
}

[[gnu::constructor]] void FailWhenMemoryRunsOut() {
  std::set_new_handler([] { flakemorph::FailRuntime("out of memory"); });
}

}  // namespace

extern "C" {

// Room for the object to be thrown; it is never freed, since the throw ends the program.
void* __cxa_allocate_exception(std::size_t size) noexcept {
  void* room = std::malloc(size);
  if (room == nullptr) flakemorph::FailRuntime("out of memory");
  return room;
}

[[noreturn]] void __cxa_throw(void* thrown, std::type_info* type, void (*)(void*)) {
  if (IsStdException(type)) {
    flakemorph::FailRuntime("%s", static_cast<const std::exception*>(thrown)->what());
  }
  flakemorph::FailRuntime("an exception of type %s", type->name());
}

}  // extern "C"
