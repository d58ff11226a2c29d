#pragma once
// The 208 named events of the keyboard's program, as POSIX named semaphores
// "Zarvel_Event_Main_01" .. "Zarvel_Event_Main_208" (value 0). Nothing in the
// program waits on or signals them; they exist for companion tools that look
// for them. Creating one may fail (another user's copy holds the name, or
// /dev/shm is full): that is ignored.
//
// Not a Qt class: the semaphores are plain POSIX objects.
#include <semaphore.h>

#include <string>
#include <vector>

namespace zarvel {

inline constexpr int kNamedEventCount = 208;

// "/Zarvel_Event_Main_01" for 1, "/Zarvel_Event_Main_208" for 208: the names
// the keyboard's program formats with "%sMain_%02d", with the slash POSIX
// wants in front.
std::string NamedEventName(int number);

class NamedSemaphores {
 public:
  NamedSemaphores() = default;
  ~NamedSemaphores() { CloseAll(); }
  NamedSemaphores(const NamedSemaphores&) = delete;
  NamedSemaphores& operator=(const NamedSemaphores&) = delete;

  // Creates (or opens) all 208; returns how many exist now.
  int CreateAll();
  // Closes and removes every one this object created or opened. Safe to call twice.
  void CloseAll();
  int Count() const { return static_cast<int>(open_.size()); }

 private:
  struct Open {
    sem_t* semaphore;
    std::string name;
  };
  std::vector<Open> open_;
};

}  // namespace zarvel
