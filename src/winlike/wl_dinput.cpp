// DirectInput-like buffered keyboard: records are kept only while the device is acquired;
// a foreground device loses its input when the application is deactivated.
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "winlike/wl_dinput.h"
#include "winlike/wl_internal.h"

struct WlDIRec {
  bool used;
};

struct WlDIDeviceRec {
  bool used, formatSet, acquired, lost, overflow;
  uint32_t coop;
  uint32_t bufferSize;  // records kept between reads; 0 = not buffered
  uint32_t head, count, sequence;
  DIDeviceObjectData ring[1024];
};

static WlDIRec platDI;
static WlDIDeviceRec platKeyboard;

void wlDIReset() {
  std::memset(&platDI, 0, sizeof platDI);
  std::memset(&platKeyboard, 0, sizeof platKeyboard);
}

int32_t wlDICreate(uint32_t version, LPDIRECTINPUT* out) {
  if (!out) return DIERR_INVALIDPARAM;
  *out = nullptr;
  if (version < 0x300) return DIERR_OLDDIRECTINPUTVERSION;
  if (version > 0x800) return DIERR_BETADIRECTINPUTVERSION;
  if (!platIsInitialised()) return DIERR_NOTINITIALIZED;
  platDI.used = true;
  *out = &platDI;
  return DI_OK;
}

int32_t wlDICreateKeyboard(LPDIRECTINPUT di, LPDIRECTINPUTDEVICE* out) {
  if (!out) return DIERR_INVALIDPARAM;
  *out = nullptr;
  if (di != &platDI || !platDI.used) return DIERR_NOTINITIALIZED;
  std::memset(&platKeyboard, 0, sizeof platKeyboard);
  platKeyboard.used = true;
  *out = &platKeyboard;
  return DI_OK;
}

static bool platValidDevice(LPDIRECTINPUTDEVICE dev) { return dev == &platKeyboard && platKeyboard.used; }

int32_t wlDIDevSetDataFormatKeyboard(LPDIRECTINPUTDEVICE dev) {
  if (!platValidDevice(dev)) return DIERR_NOTINITIALIZED;
  if (dev->acquired) return DIERR_ACQUIRED;
  dev->formatSet = true;
  return DI_OK;
}

int32_t wlDIDevSetCooperativeLevel(LPDIRECTINPUTDEVICE dev, WlHwnd window, uint32_t flags) {
  if (!platValidDevice(dev)) return DIERR_NOTINITIALIZED;
  bool excl = flags & DISCL_EXCLUSIVE, nonex = flags & DISCL_NONEXCLUSIVE;
  bool fg = flags & DISCL_FOREGROUND, bg = flags & DISCL_BACKGROUND;
  if (excl == nonex || fg == bg) return DIERR_INVALIDPARAM;
  if (!wlIsWindow(window)) return DIERR_E_HANDLE;
  dev->coop = flags;
  return DI_OK;
}

int32_t wlDIDevSetBufferSize(LPDIRECTINPUTDEVICE dev, const DIPropDword* prop) {
  if (!platValidDevice(dev)) return DIERR_NOTINITIALIZED;
  if (!prop || prop->diph.size != sizeof(DIPropDword) || prop->diph.headerSize != sizeof(DIPropHeader) ||
      prop->diph.how != DIPH_DEVICE || prop->diph.obj != 0 || prop->data > 1024)
    return DIERR_INVALIDPARAM;
  if (dev->acquired) return DIERR_ACQUIRED;
  dev->bufferSize = prop->data;
  dev->head = dev->count = 0;
  return DI_OK;
}

int32_t wlDIDevAcquire(LPDIRECTINPUTDEVICE dev) {
  if (!platValidDevice(dev)) return DIERR_NOTINITIALIZED;
  if (!dev->formatSet) return DIERR_INVALIDPARAM;
  if ((dev->coop & DISCL_FOREGROUND) && !wlIsForeground()) return DIERR_OTHERAPPHASPRIO;
  if (!dev->acquired) {
    dev->acquired = true;
    dev->lost = false;
    dev->head = dev->count = 0;
    dev->overflow = false;
  }
  return DI_OK;
}

int32_t wlDIDevUnacquire(LPDIRECTINPUTDEVICE dev) {
  if (!platValidDevice(dev)) return DIERR_NOTINITIALIZED;
  dev->acquired = false;
  return DI_OK;
}

int32_t wlDIDevGetDeviceData(LPDIRECTINPUTDEVICE dev, uint32_t recordSize, DIDeviceObjectData* records, uint32_t* count,
                             uint32_t) {
  if (!platValidDevice(dev)) return DIERR_NOTINITIALIZED;
  if (!count || recordSize != sizeof(DIDeviceObjectData) || (!records && *count)) return DIERR_INVALIDPARAM;
  if (!dev->acquired) {
    *count = 0;
    if (dev->lost) {
      dev->lost = false;
      return DIERR_INPUTLOST;
    }
    return DIERR_NOTACQUIRED;
  }
  if (dev->bufferSize == 0) return DIERR_NOTBUFFERED;
  uint32_t n = *count < dev->count ? *count : dev->count;
  for (uint32_t i = 0; i < n; i++) records[i] = dev->ring[(dev->head + i) % 1024];
  dev->head = (dev->head + n) % 1024;
  dev->count -= n;
  *count = n;
  if (dev->overflow) {
    dev->overflow = false;
    return DI_BUFFEROVERFLOW;
  }
  return DI_OK;
}

void wlDIKeyEvent(uint32_t dik, bool down) {
  WlDIDeviceRec* dev = &platKeyboard;
  if (!dev->used || !dev->acquired || dik == 0 || dik > 255) return;
  if (dev->count >= dev->bufferSize) {
    dev->overflow = true;  // the newest change is lost, as DirectInput does
    return;
  }
  DIDeviceObjectData& r = dev->ring[(dev->head + dev->count) % 1024];
  r.ofs = dik;
  r.data = down ? 0x80 : 0;
  r.timeStamp = platPeekTickCount();
  r.sequence = dev->sequence++;
  dev->count++;
}

void wlDIForeground(bool foreground) {
  WlDIDeviceRec* dev = &platKeyboard;
  if (foreground || !dev->used || !(dev->coop & DISCL_FOREGROUND) || !dev->acquired) return;
  dev->acquired = false;
  dev->lost = true;
  dev->head = dev->count = 0;
}

static const struct {
  const char* name;
  uint32_t dik;
} platDIKNames[] = {
    {"ESC", 0x01},         {"ESCAPE", 0x01},   {"MINUS", 0x0C},    {"EQUALS", 0x0D}, {"BACK", 0x0E},
    {"BACKSPACE", 0x0E},   {"TAB", 0x0F},      {"ENTER", 0x1C},    {"RETURN", 0x1C}, {"LCTRL", 0x1D},
    {"LCONTROL", 0x1D},    {"LSHIFT", 0x2A},   {"RSHIFT", 0x36},   {"LALT", 0x38},   {"LMENU", 0x38},
    {"SPACE", 0x39},       {"CAPSLOCK", 0x3A}, {"F11", 0x57},      {"F12", 0x58},    {"KPENTER", 0x9C},
    {"NUMPADENTER", 0x9C}, {"RCTRL", 0x9D},    {"RCONTROL", 0x9D}, {"RALT", 0xB8},   {"RMENU", 0xB8},
    {"PAUSE", 0xC5},       {"HOME", 0xC7},     {"UP", 0xC8},       {"PGUP", 0xC9},   {"LEFT", 0xCB},
    {"RIGHT", 0xCD},       {"END", 0xCF},      {"DOWN", 0xD0},     {"PGDN", 0xD1},   {"INSERT", 0xD2},
    {"DELETE", 0xD3},      {"KPMINUS", 0x4A},  {"KPPLUS", 0x4E},
};
// Letters in A..Z order.
static const uint8_t platDIKLetters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                           0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                           0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

uint32_t wlDIKFromName(const char* name) {
  if (!name || !*name) return 0;
  for (auto& n : platDIKNames)
    if (strcasecmp(n.name, name) == 0) return n.dik;
  if (name[1] == 0) {
    char c = name[0];
    if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z') return platDIKLetters[c - 'A'];
  }
  if ((name[0] == 'F' || name[0] == 'f') && name[1] >= '1' && name[1] <= '9') {
    char* end;
    long f = std::strtol(name + 1, &end, 10);
    if (*end == 0 && f >= 1 && f <= 10) return 0x3A + (uint32_t)f;
  }
  if (name[0] >= '0' && name[0] <= '9') {
    if (name[1] == 0) return name[0] == '0' ? 0x0B : (uint32_t)(name[0] - '1' + 2);
    char* end;
    long v = std::strtol(name, &end, 0);
    if (*end == 0 && v >= 1 && v <= 255) return (uint32_t)v;
  }
  return 0;
}
