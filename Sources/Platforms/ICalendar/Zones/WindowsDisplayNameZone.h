#pragma once

#include <unicode/timezone.h>

#include <memory>
#include <string_view>

namespace CorlaMeetings {

// The zone a Windows display name means: "(UTC-05:00) Eastern Time (US & Canada)",
// "(GMT+10:00) Canberra, Melbourne, Sydney". Outlook writes these in place of a zone's ID
// and may leave the VTIMEZONE out. The offset (standard time) narrows ICU's zones down; the
// first place the name lists that is a zone's city, or else a zone's generic name ("Eastern
// Time"), picks one, with its daylight-saving rules. Null when the name is not of that form
// or nothing fits.
std::unique_ptr<icu::TimeZone> windowsDisplayNameZone(std::string_view name);

}  // namespace CorlaMeetings
