#pragma once

// The window manager of the Windows API stand-in, all of it.

#include "platform/win/user/BufferedPaint.h"
#include "platform/win/user/Desktop.h"
#include "platform/win/user/Input.h"
#include "platform/win/user/Layered.h"
#include "platform/win/user/Message.h"
#include "platform/win/user/Paint.h"
#include "platform/win/user/Rect.h"
#include "platform/win/user/SystemInfo.h"
#include "platform/win/user/Window.h"
#include "platform/win/user/WindowPos.h"
