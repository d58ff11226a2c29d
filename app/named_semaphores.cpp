#include "app/named_semaphores.h"

#include <fcntl.h>

#include <cstdio>

namespace zarvel {

std::string NamedEventName(int number) {
  char name[40];
  std::snprintf(name, sizeof name, "/%sMain_%02d", "Zarvel_Event_", number);
  return name;
}

int NamedSemaphores::CreateAll() {
  CloseAll();
  open_.reserve(kNamedEventCount);
  for (int number = 1; number <= kNamedEventCount; ++number) {
    std::string name = NamedEventName(number);
    sem_t* semaphore = ::sem_open(name.c_str(), O_CREAT, 0600, 0);
    if (semaphore == SEM_FAILED) continue;
    open_.push_back({semaphore, std::move(name)});
  }
  return Count();
}

void NamedSemaphores::CloseAll() {
  for (const Open& entry : open_) {
    ::sem_close(entry.semaphore);
    // Removing the name is what keeps /dev/shm clean after the program ends.
    ::sem_unlink(entry.name.c_str());
  }
  open_.clear();
}

}  // namespace zarvel
