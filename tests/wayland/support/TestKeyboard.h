#pragma once

#include <QString>
#include <memory>

struct wl_display;
struct wl_seat;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;

// One long-lived virtual keyboard (US layout) on a connection of its own, for tests: the
// headless seat has no keyboard until one exists, and each new one makes sway send the
// keyboard focus again, so a test process keeps this one. Keys go to whatever has the
// keyboard focus.
class TestKeyboard {
public:
    // Nothing when no compositor answers or it offers no virtual keyboard.
    static std::unique_ptr<TestKeyboard> create();
    ~TestKeyboard();

    TestKeyboard(const TestKeyboard &) = delete;
    TestKeyboard &operator=(const TestKeyboard &) = delete;

    // Each of the lower-case letters and digits in `keys`, pressed and released in turn;
    // false when one has no key here.
    bool type(const QString &keys);
    void tapEscape();

private:
    TestKeyboard() = default;
    void tap(quint32 evdevKey);

    wl_display *m_display = nullptr;
    wl_seat *m_seat = nullptr;
    zwp_virtual_keyboard_manager_v1 *m_manager = nullptr;
    zwp_virtual_keyboard_v1 *m_keyboard = nullptr;
    quint32 m_time = 0;
};
