-- wrk script: each request posts a real game's score under a name of its own, so that the
-- server plays every game again and stores each. Its arguments (after wrk's "--") are the
-- server's posting path, a file of games, one a line: deal, score and the game's moves, and a
-- tag that keeps the names of this run apart from those of another run at the same time.
local threads = 0
local postPath
local games = {}
local tag

function init(args)
    postPath = args[1]
    tag = args[3] or "Bench"
    for line in io.lines(args[2]) do
        local deal, score, moves = line:match("^(%d+) (%-?%d+) (%S+)$")
        if deal then
            games[#games + 1] = {deal = deal, score = score, moves = moves}
        end
    end
    assert(#games > 0, "no games in " .. args[2])
end

function setup(thread)
    threads = threads + 1
    thread:set("id", threads)
end

local counter = 0

function request()
    counter = counter + 1
    local game = games[counter % #games + 1]
    local path = string.format(
        "%s?name=%s%%20%d-%d&date=3/7/05&score=%s&deal=%s&moves=%s",
        postPath, tag, id, counter, game.score, game.deal, game.moves)
    return wrk.format("GET", path)
end
