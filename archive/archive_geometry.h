#pragma once

// How the meter's archives are read: blocks of records per request, by
// protocol version. Version 2: 10-byte records in blocks of 24, archives of
// 512 hourly, 384 daily and 128 monthly records. Version 3: 14-byte records
// in blocks of 17, archives of 336, 252 and 84 records.
namespace archive_geometry {

enum : int { hourly = 1, daily = 2, monthly = 3 };

bool is_supported_version(int version);

// Records per full block; also what the record index advances by.
int block_step(int version);

// Records in the archive of `type` (1 hourly, 2 daily, 3 monthly).
int depth(int version, int type);

// Records asked for at `index`: a full block, or what is left at the end.
int block_size(int version, int type, int index);

// The archive is complete once the record index has passed its last record.
inline bool is_complete(int version, int type, int index)
{
    return index >= depth(version, type);
}

} // namespace archive_geometry
