#include "foundation/DThread.h"

namespace mirel {

DThread::~DThread() { Close(); }

uint32_t DThread::ThreadEntry(void* record) {
    const StartRecord start = *static_cast<StartRecord*>(record);
    delete static_cast<StartRecord*>(record);
    return start.procedure(start.argument);
}

bool DThread::Start(Procedure procedure, void* argument) {
    if (started_ != 0 || procedure == nullptr) return false;
    auto* record = new StartRecord{procedure, argument};
    rcptr<platform::os::Thread> handle;
    handle.Create();
    if (!handle->start(&DThread::ThreadEntry, record)) {
        delete record;
        return false;
    }
    threadId_ = handle->id();
    handle_ = handle;
    started_ = 1;
    return true;
}

void DThread::Close() {
    if (started_ == 1 && handle_) {
        handle_->detach();
        threadId_ = 0;
        started_ = 0;
    }
    handle_.Reset();
}

}  // namespace mirel
