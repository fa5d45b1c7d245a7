#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// What the version check needs from the TCP layer: one non-blocking connection, reused for
// every connect of a check.
class UpdaterConnection {
public:
    enum class State { Pending, Connected, Failed };
    enum class Io { Done, WouldBlock, Failed };

    virtual ~UpdaterConnection() = default;
    // Starts connecting (the host-name lookup may still be running); false when it cannot
    // start. Closes an earlier connection first.
    virtual bool connect(const std::u16string& host, int32_t port) = 0;
    // The connect's progress; Failed also after a send or receive marked it broken.
    virtual State poll() = 0;
    // Bytes one send may take; 0 when unknown.
    virtual size_t sendBufferSize() = 0;
    // Sends up to `size` bytes; `sent` gets what went out. Failed marks the connection broken.
    virtual Io send(const char* data, size_t size, size_t* sent) = 0;
    // Receives one byte; a closed connection is Failed and marks it broken.
    virtual Io receiveByte(uint8_t* byte) = 0;
    virtual void close() = 0;
};

// What the version check needs from the window layer: the progress dialog with its cancel
// button, the message pump, and the newer-version dialog.
class UpdaterDialogs {
public:
    enum class Answer { Ok, Link };

    virtual ~UpdaterDialogs() = default;
    // Creates and shows the progress dialog; false when it cannot be created.
    virtual bool openProgress() = 0;
    // Dispatches every waiting message; false once the quit request (cancel, closing the
    // progress dialog) has been posted.
    virtual bool pumpMessages() = 0;
    // The modal newer-version dialog over the progress dialog; Link when the player clicked
    // the home-page link.
    virtual Answer showNewerVersion(const char16_t* shortTitle) = 0;
    // Destroys the progress dialog once the check is over; nothing when it is not open.
    virtual void closeProgress() = 0;
};
