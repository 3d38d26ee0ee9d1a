#include "server/scorestore.h"

#include "server/postgresscorestore.h"
#include "server/sqlitescorestore.h"

namespace server {

std::unique_ptr<ScoreStore> openScoreStore(const std::string &where, ScoreStore::Open open)
{
    if (where.starts_with("postgresql://") || where.starts_with("postgres://"))
        return std::make_unique<PostgresScoreStore>(where, open);
    return std::make_unique<SqliteScoreStore>(where, open);
}

} // namespace server
