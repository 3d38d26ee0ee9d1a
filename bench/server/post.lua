-- wrk script: each request posts a new score, with a name of its own and a spread of scores.
-- Its one argument (after wrk's "--") is the server's posting path.
local threads = 0
local postPath

function init(args)
    postPath = args[1]
end

function setup(thread)
    threads = threads + 1
    thread:set("id", threads)
end

local counter = 0

function request()
    counter = counter + 1
    local path = string.format(
        "%s?name=Bench%%20%d-%d&date=3/7/05&score=%d",
        postPath, id, counter, math.random(-416, 556))
    return wrk.format("GET", path)
end
