#pragma once

#include <array>

// What the SQLite and the PostgreSQL stores write alike about the scores table: its indexes
// and the statements that take no values. Each list's statements stand at [false] for the
// unverified scores and at [true] for the verified ones.
namespace server::scoreschema {

// Each list in rank order, a verified game once per name, and the scores of an address.
inline constexpr std::array<const char *, 4> indexes{
    "CREATE INDEX IF NOT EXISTS verified_by_rank ON scores (score DESC, id) "
    "WHERE deal IS NOT NULL",
    "CREATE INDEX IF NOT EXISTS unverified_by_rank ON scores (score DESC, id) "
    "WHERE deal IS NULL",
    "CREATE UNIQUE INDEX IF NOT EXISTS verified_once ON scores (name, deal, moves) "
    "WHERE deal IS NOT NULL",
    "CREATE INDEX IF NOT EXISTS scores_by_address ON scores (address)"};

inline constexpr std::array<const char *, 2> count{
    "SELECT count(*) FROM scores WHERE deal IS NULL",
    "SELECT count(*) FROM scores WHERE deal IS NOT NULL"};

// Every score in the order stored: the entry's five columns, then received_ms and address.
inline constexpr const char *all = "SELECT name, date, score, deal, moves, received_ms, address "
                                   "FROM scores ORDER BY id";

} // namespace server::scoreschema
