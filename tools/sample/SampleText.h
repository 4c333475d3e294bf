// Small text makers shared by the content generators: dates in the stored form,
// GUIDs, telephone numbers, Unicode-aware cutting and upper-casing.
// Layer: sample tool.
#pragma once

#include "tools/sample/SampleRandom.h"

#include <string>

namespace sample {

// 'YYYY-MM-DD HH:MM:SS', the stored form of date-times.
std::string dateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// A day between the two dates (both included), at midnight.
std::string randomDate(SampleRandom& rng, int fromYear, int toYear);
// The day that lies days after year-month-day.
std::string dayAfter(int year, int month, int day, int days);

std::string guid(SampleRandom& rng);
std::string digits(SampleRandom& rng, int count);
// A German landline number with the dialling code of the region, or a mobile number.
std::string landline(SampleRandom& rng);
std::string mobile(SampleRandom& rng);

// First n characters (not bytes) of a UTF-8 text.
std::string leftChars(const std::string& text, int n);
// Upper case by Unicode rules (ä -> Ä), as the product stores abbreviations.
std::string upper(const std::string& text);
std::string lower(const std::string& text);
std::string trim(const std::string& text);
// A mail local part from names: lower case, umlauts spelled out, no blanks.
std::string mailPart(const std::string& text);

}  // namespace sample
