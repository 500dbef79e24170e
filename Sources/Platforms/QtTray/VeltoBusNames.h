#pragma once

namespace CorlaMeetings {

// Where the running tray instance answers on the session bus.
inline constexpr char kVeltoServiceName[] = "org.velto.Velto";
inline constexpr char kVeltoObjectPath[] = "/org/velto/Velto";
inline constexpr char kVeltoInterface[] = "org.velto.Velto";

}  // namespace CorlaMeetings
