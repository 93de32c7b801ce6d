#pragma once

// Resident memory of the process, in bytes.
long long residentBytes();

constexpr long long megabyte = 1024 * 1024;
