// The objects a stand-in platform module has handed out and not yet taken
// back. Callers hand the modules' functions pointers of any kind; a pointer
// is only used after it is found here, so a stale or foreign one is refused
// with the platform's error instead of being read.
#pragma once

#include <windows.h>

namespace standin {

// The first member of every object kept in a LiveObjects list.
struct LiveLink {
    LiveLink* next;
};

class LiveObjects {
  public:
    void Add(LiveLink* object) {
        AcquireSRWLockExclusive(&lock_);
        object->next = head_;
        head_ = object;
        ReleaseSRWLockExclusive(&lock_);
    }

    bool Contains(const void* object) {
        AcquireSRWLockShared(&lock_);
        bool found = false;
        for (const LiveLink* link = head_; link != nullptr && !found; link = link->next) {
            found = link == object;
        }
        ReleaseSRWLockShared(&lock_);
        return found;
    }

    // True when the object was in the list; it is not any more.
    bool Remove(const void* object) {
        AcquireSRWLockExclusive(&lock_);
        bool found = false;
        for (LiveLink** link = &head_; *link != nullptr; link = &(*link)->next) {
            if (*link == object) {
                *link = (*link)->next;
                found = true;
                break;
            }
        }
        ReleaseSRWLockExclusive(&lock_);
        return found;
    }

  private:
    SRWLOCK lock_ = SRWLOCK_INIT;
    LiveLink* head_ = nullptr;
};

}  // namespace standin
