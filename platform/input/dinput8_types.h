#pragma once
// Scalar types, result codes, records and constants of the DirectInput 8 programming interface,
// with their documented numeric values. The framework's input code is written against these.
#include <cstdint>

namespace platform::input {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using BOOL = std::int32_t;
using HRESULT = std::int32_t;
using HWND = void*;

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

constexpr HRESULT DI_OK = 0;
constexpr HRESULT DI_NOEFFECT = 1;
constexpr HRESULT DIERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DIERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DIERR_DEVICENOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT DIERR_OBJECTNOTFOUND = static_cast<HRESULT>(0x80070002u);
constexpr HRESULT DIERR_OTHERAPPHASPRIO = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000Cu);
constexpr HRESULT DIERR_INPUTLOST = static_cast<HRESULT>(0x8007001Eu);
constexpr HRESULT DIERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DIERR_ACQUIRED = static_cast<HRESULT>(0x800700AAu);
constexpr HRESULT DIERR_OLDDIRECTINPUTVERSION = static_cast<HRESULT>(0x8007047Eu);
constexpr HRESULT DIERR_BETADIRECTINPUTVERSION = static_cast<HRESULT>(0x80070481u);

constexpr DWORD DIRECTINPUT_VERSION = 0x0800;

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
bool operator==(const GUID& a, const GUID& b);

// Device and object kinds.
extern const GUID GUID_SysKeyboard;
extern const GUID GUID_XAxis;
extern const GUID GUID_YAxis;
extern const GUID GUID_ZAxis;
extern const GUID GUID_RxAxis;
extern const GUID GUID_RyAxis;
extern const GUID GUID_RzAxis;
extern const GUID GUID_Button;
extern const GUID GUID_Key;
extern const GUID GUID_POV;

// Cooperative levels.
constexpr DWORD DISCL_EXCLUSIVE = 0x01;
constexpr DWORD DISCL_NONEXCLUSIVE = 0x02;
constexpr DWORD DISCL_FOREGROUND = 0x04;
constexpr DWORD DISCL_BACKGROUND = 0x08;

// Device enumeration.
constexpr DWORD DI8DEVCLASS_GAMECTRL = 4;
constexpr DWORD DIEDFL_ATTACHEDONLY = 0x01;
constexpr BOOL DIENUM_STOP = 0;
constexpr BOOL DIENUM_CONTINUE = 1;

// Device types (low byte of dwDevType).
constexpr DWORD DI8DEVTYPE_KEYBOARD = 0x13;
constexpr DWORD DI8DEVTYPE_JOYSTICK = 0x14;
constexpr DWORD DI8DEVTYPE_GAMEPAD = 0x15;

// Object types and enumeration filters.
constexpr DWORD DIDFT_ALL = 0x00;
constexpr DWORD DIDFT_ABSAXIS = 0x02;
constexpr DWORD DIDFT_AXIS = 0x03;
constexpr DWORD DIDFT_PSHBUTTON = 0x04;
constexpr DWORD DIDFT_BUTTON = 0x0C;
constexpr DWORD DIDFT_POV = 0x10;
constexpr DWORD DIDFT_MAKEINSTANCE(DWORD n) { return (n & 0xFFFF) << 8; }

constexpr DWORD DIDC_ATTACHED = 0x01;

// Properties, addressed by object offset.
constexpr DWORD DIPROP_RANGE = 4;
constexpr DWORD DIPROP_KEYNAME = 20;
constexpr DWORD DIPH_DEVICE = 0;
constexpr DWORD DIPH_BYOFFSET = 1;

constexpr int MAX_PATH = 260;

// UTF-16 text throughout: the names reach the settings dialog as they are.
struct DIDEVICEINSTANCEW {
    DWORD dwSize;
    GUID guidInstance;
    GUID guidProduct;
    DWORD dwDevType;
    char16_t tszInstanceName[MAX_PATH];
    char16_t tszProductName[MAX_PATH];
};

struct DIDEVCAPS {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwDevType;
    DWORD dwAxes;
    DWORD dwButtons;
    DWORD dwPOVs;
    DWORD dwFFSamplePeriod;
    DWORD dwFFMinTimeResolution;
    DWORD dwFirmwareRevision;
    DWORD dwHardwareRevision;
    DWORD dwFFDriverVersion;
};

struct DIDEVICEOBJECTINSTANCEW {
    DWORD dwSize;
    GUID guidType;
    DWORD dwOfs;
    DWORD dwType;
    DWORD dwFlags;
};

struct DIPROPHEADER {
    DWORD dwSize;
    DWORD dwHeaderSize;
    DWORD dwObj;
    DWORD dwHow;
};

struct DIPROPRANGE {
    DIPROPHEADER diph;
    LONG lMin;
    LONG lMax;
};

struct DIPROPSTRING {
    DIPROPHEADER diph;
    char16_t wsz[MAX_PATH];
};

// The standard joystick state, 80 bytes.
struct DIJOYSTATE {
    LONG lX;
    LONG lY;
    LONG lZ;
    LONG lRx;
    LONG lRy;
    LONG lRz;
    LONG rglSlider[2];
    DWORD rgdwPOV[4];  // hundredths of a degree clockwise from up; 0xFFFFFFFF centred
    BYTE rgbButtons[32];
};
static_assert(sizeof(DIJOYSTATE) == 80);

constexpr DWORD kKeyboardStateSize = 256;
constexpr DWORD kPovCentred = 0xFFFFFFFF;

// A device's data format. Only the two standard formats exist here, told apart by address.
struct DIDATAFORMAT {
    DWORD dwDataSize;
};
extern const DIDATAFORMAT c_dfDIKeyboard;
extern const DIDATAFORMAT c_dfDIJoystick;

using LPDIENUMDEVICESCALLBACKW = BOOL (*)(const DIDEVICEINSTANCEW* instance, void* context);
using LPDIENUMDEVICEOBJECTSCALLBACKW = BOOL (*)(const DIDEVICEOBJECTINSTANCEW* object,
                                                void* context);

}  // namespace platform::input
