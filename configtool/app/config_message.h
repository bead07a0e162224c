// The tool's only way to speak to the user: a message box with an OK button.
//
// Types: 1 exclamation, 2 information, 3 question, 4 stop, any other no icon. A null owner means
// the main dialog; a null caption means "環境設定". The box itself goes through a replaceable
// presenter, so that tests record what would be shown instead of showing it.
#pragma once

#include <windows.h>

#include <cstdint>

void ShowConfigMessage(const char* text, std::int32_t type, HWND owner = nullptr, const char* caption = nullptr);

// Receives the message with its owner and caption already settled.
using ConfigMessagePresenter = void (*)(const char* text, std::int32_t type, HWND owner, const char* caption);
// Installs a presenter (null: the real message box); returns the one it replaces.
ConfigMessagePresenter SetConfigMessagePresenter(ConfigMessagePresenter presenter);
// The message-box style the real presenter uses.
UINT ConfigMessageStyle(std::int32_t type, HWND owner);
