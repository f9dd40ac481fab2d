-- A seeded random source that gives the same sequence on every Lua version (xorshift64
-- on Lua's 64-bit integers), so a failing seed reproduces on both builds.
local S = {}

-- Mixes a seed with a text (FNV-1a), for one independent sequence per name.
function S.mix(seed, text)
  local h = seed ~ -3750763034362895579  -- the FNV-1a 64-bit offset basis
  for i = 1, #text do
    h = (h ~ text:byte(i)) * 1099511628211
  end
  return h
end

function S.new(seed)
  local state = seed ~ 0x2545F4914F6CDD1D
  if state == 0 then state = 1 end
  local r = {}

  function r.next()
    state = state ~ (state << 13)
    state = state ~ (state >> 7)
    state = state ~ (state << 17)
    return state
  end

  -- An integer in 0 .. n - 1 (n >= 1).
  function r.below(n) return (r.next() >> 11) % n end

  -- An integer in lo .. hi.
  function r.between(lo, hi) return lo + r.below(hi - lo + 1) end

  -- True with probability `p`.
  function r.chance(p) return (r.next() >> 11) < p * (1 << 53) end

  function r.pick(list) return list[r.below(#list) + 1] end

  return r
end

return S
