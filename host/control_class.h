#pragma once
// The class id under which the control's library registers the entry-item screen.
namespace talvero::host {

inline constexpr const char* kControlClassId = "{1CB349E0-9D58-4639-B684-331C3E66397F}";
inline constexpr const char* kControlClassName = "Talvero.Ctr_Talvero";
// What the control's object answers when asked for the control itself.
inline constexpr const char* kControlInterface = "Ctr_Talvero";

}  // namespace talvero::host
