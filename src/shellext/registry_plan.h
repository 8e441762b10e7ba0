// The registry entries the server writes when it registers and the keys it deletes when it
// unregisters, as data in their exact order; the Win32 side only carries them out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace larkspur::shell {

inline constexpr std::string_view kClassName = "TLarkspurMenuCom";
inline constexpr std::string_view kClassDescription = "Larkspur Menu Com";
inline constexpr std::string_view kThreadingModel = "Apartment";
// The failure text of a key or value that cannot be written.
inline constexpr std::string_view kRegistryWriteError = "Error creating system registry entry";

enum class TRegistryRoot { ClassesRoot, LocalMachine };

struct TRegistryWrite {
  TRegistryRoot root;
  std::string key;
  std::string valueName; // empty: the key's default value
  std::string data;      // written as REG_SZ, NUL included

  bool operator==(const TRegistryWrite&) const = default;
};

struct TRegistrationInputs {
  std::string clsid;          // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
  std::string modulePath;     // as it goes into InprocServer32 (short form when it has blanks)
  std::string moduleFileName; // the module's long file path, for the program identifier
  std::string hostPath;       // the executable of the registering process
  bool isNt = true;           // whether the approved-extensions value is written
};

// "<module file name without extension>.TLarkspurMenuCom".
std::string ProgIdFor(std::string_view moduleFileName);

// Every write of a registration, in order; a key written "empty, then" data appears twice.
std::vector<TRegistryWrite> RegistrationPlan(const TRegistrationInputs& inputs);

// The keys under HKEY_CLASSES_ROOT deleted by unregistration, children before parents.
std::vector<std::string> UnregistrationPlan(std::string_view clsid, std::string_view progId);

} // namespace larkspur::shell
