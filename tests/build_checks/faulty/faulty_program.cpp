// A console program with every fault the launcher's checks look for: it imports
// the DirectX setup library by ordinal, links the GCC runtime as DLLs, carries a
// manifest that asks for administrator rights, and (through its link flags) has
// neither address-space randomisation nor DEP and carries a link time stamp.
#include <windows.h>
#include <string>

extern "C" __declspec(dllimport) int WINAPI DirectXSetupGetVersion(DWORD* version, DWORD* revision);

int main() {
    std::string name("faulty");
    DWORD version = 0, revision = 0;
    return DirectXSetupGetVersion(&version, &revision) + static_cast<int>(name.size());
}
