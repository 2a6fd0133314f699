// The graphics object of 64-bit Windows, which cannot be relied on to offer
// Direct3D 8 to a 64-bit program while every one has Direct3D 9. Nothing is
// imported from either: Direct3D 8 is used where d3d8.dll has
// Direct3DCreate8 and gives an object, Direct3D 9 otherwise. The environment
// variable TALVEX_DIRECT3D chooses one alone ("8" or "9"), for tests and
// diagnosis; any other value leaves the choice as it is without it.
#include <windows.h>

#include "platform/win32/direct3d_adapter.h"

namespace talvex::render {

namespace {

enum class Choice { kEither, kOnly8, kOnly9 };

Choice ChosenVersion() {
    char value[4] = {};
    const DWORD length = GetEnvironmentVariableA("TALVEX_DIRECT3D", value, sizeof value);
    if (length == 1 && value[0] == '8') return Choice::kOnly8;
    if (length == 1 && value[0] == '9') return Choice::kOnly9;
    return Choice::kEither;
}

// The creation function of a system DLL, or null where the DLL or the
// function cannot be had. A DLL that has the function stays loaded for the
// life of the process: the objects made through it may outlive any one
// graphics object, and loading it again only counts a reference.
template <typename Function>
Function FindCreator(const char* library, const char* name) {
    HMODULE module = LoadLibraryA(library);
    if (module == nullptr) return nullptr;
    FARPROC found = GetProcAddress(module, name);
    if (found == nullptr) {
        FreeLibrary(module);
        return nullptr;
    }
    // A FARPROC is called through the function's own type.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

using Create8 = IDirect3D8*(WINAPI*)(UINT);
using Create9 = IDirect3D9*(WINAPI*)(UINT);

Direct3D* CreateDirect3D8(uint32_t sdkVersion) {
    const Create8 create = FindCreator<Create8>("d3d8.dll", "Direct3DCreate8");
    return create == nullptr ? nullptr : AdaptDirect3D8(create(sdkVersion));
}

Direct3D* CreateDirect3D9() {
    const Create9 create = FindCreator<Create9>("d3d9.dll", "Direct3DCreate9");
    return create == nullptr ? nullptr : AdaptDirect3D9(create(kDirect3D9SdkVersion));
}

}  // namespace

Direct3D* CreateDirect3D(uint32_t sdkVersion) {
    const Choice choice = ChosenVersion();
    Direct3D* object = choice == Choice::kOnly9 ? nullptr : CreateDirect3D8(sdkVersion);
    if (object == nullptr && choice != Choice::kOnly8) object = CreateDirect3D9();
    return object;
}

}  // namespace talvex::render
