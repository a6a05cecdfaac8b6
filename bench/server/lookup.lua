-- SPDX-License-Identifier: MIT
-- wrk script: GET /lookup/<word> over a list of words, alternating accents.
local words = {}
local count = 0

function init(args)
  for line in io.lines(args[1]) do
    count = count + 1
    words[count] = line
  end
end

local i = 0
function request()
  i = i + 1
  local accent = (i % 2 == 0) and "uk" or "us"
  return wrk.format("GET", "/lookup/" .. words[(i % count) + 1] .. "?accent=" .. accent)
end
