"""Draws a picture of one ride from the JSON that demo/ride_dump.lua writes.

Top: the line's millisecond peak profile before the ride and the rendered result's,
with the riding points (one per 10 ms window, at the window's loudest millisecond,
clamped to its 3rd..7th) and the level the loud points are pulled toward. Bottom: the
take's volume envelope as written, read back from the host.

    python3 demo/ride_picture.py RIDE.json OUT.png
"""
import json
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

WINDOW = 10
VOICED_BELOW = 50.0
RATIO = {0: 0.6, 1: 0.4, 2: 0.2, 3: 0.0}
FLOOR_DB = -80.0


def profile(peaks):
    """The louder extreme of each millisecond, in dBFS."""
    return [max(a, b) for a, b in zip(peaks["max_peak"], peaks["min_peak"])]


def window_profile(peaks):
    """The loudest millisecond of each 10 ms window: (window start in s, dBFS)."""
    levels = profile(peaks)
    starts = range(0, len(levels), WINDOW)
    return [peaks["time"][s] for s in starts], [max(levels[s:s + WINDOW]) for s in starts]


def riding_points(peaks):
    """(position in s, level below full scale in dB, voiced) per window; a voiced
    remainder of 6 to 9 milliseconds makes a point at its 5th."""
    levels = [min(abs(a), abs(b)) for a, b in zip(peaks["max_peak"], peaks["min_peak"])]
    times = peaks["time"]
    points = []
    for start in range(0, len(levels), WINDOW):
        window = levels[start:start + WINDOW]
        level = min([100.0] + window)
        if len(window) == WINDOW:
            loudest = window.index(min(window)) if level < 100.0 else 4
            at = min(max(loudest, 2), 6) if level < VOICED_BELOW else 4
            points.append((times[start + at], level, level < VOICED_BELOW))
        elif len(window) > 5 and level < VOICED_BELOW:
            points.append((times[start + 4], level, True))
    return points


def mean_below(levels, bound):
    below = [x for x in levels if x < bound]
    return sum(below) / len(below) if below else bound


def target_level(points, ratio_type):
    """The level the loudest points are cut toward: between the means of the loudest
    groups of windows, by the ratio type."""
    voiced = [level for _, level, v in points if v]
    if not voiced:
        return None
    a0 = sum(voiced) / len(voiced)
    levels = [level for _, level, _ in points]
    a1 = mean_below(levels, a0)
    a2 = mean_below(levels, a1)
    a3 = mean_below(levels, a2)
    r = RATIO[min(max(ratio_type, 0), 3)]
    return a2 + r * (a3 - a2)


def draw(ride, out_png):
    before, after = ride["before"], ride["after"]
    points = riding_points(before)
    target = target_level(points, ride["ratio_type"])

    fig, (top, bottom) = plt.subplots(2, 1, sharex=True, figsize=(12, 6.5),
                                      gridspec_kw={"height_ratios": [3, 2]})
    top.fill_between(before["time"], profile(before), FLOOR_DB, color="0.85", lw=0,
                     label="millisecond peaks before the ride")
    top.step(*window_profile(before), where="post", color="black", lw=0.7, zorder=4,
             label="before, loudest ms per 10 ms")
    top.step(*window_profile(after), where="post", color="deepskyblue", lw=2.2, zorder=2,
             label="rendered result, loudest ms per 10 ms")
    voiced = [(t, -level) for t, level, v in points if v]
    if voiced:
        top.scatter(*zip(*voiced), s=7, marker="o", facecolors="none", edgecolors="tab:orange",
                    lw=0.7, zorder=4,
                    label="riding points (voiced 10 ms windows)")
    if target is not None:
        top.axhline(-target, color="tab:red", ls="--", lw=1,
                    label=f"cut target {-target:.1f} dBFS (ratio type {ride['ratio_type']})")
    top.set_ylim(-62, min(3.0, max(profile(before) + profile(after)) + 5))
    top.set_ylabel("peak level (dBFS)")
    top.set_title(f"Level ride of {ride['line'].rsplit('/', 1)[-1]}", pad=34)
    top.legend(loc="lower center", bbox_to_anchor=(0.5, 1.0), fontsize=8, ncol=3, frameon=False)
    top.grid(alpha=0.3)

    env, marks = ride["envelope"], ride["envelope_points"]
    bottom.plot(env["time"], env["gain_db"], color="tab:green", lw=1, label="take volume envelope as written")
    bottom.scatter(marks["time"], marks["gain_db"], s=10, color="tab:green", zorder=3,
                   label=f"its {len(marks['time'])} points")
    bottom.axhline(0, color="0.3", lw=0.6)
    bottom.set_ylabel("gain (dB)")
    bottom.set_xlabel("time from the item start (s)")
    bottom.set_xlim(0, ride["length"])
    bottom.legend(loc="upper right", fontsize=8)
    bottom.grid(alpha=0.3)

    fig.tight_layout()
    fig.savefig(out_png, dpi=90)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: ride_picture.py RIDE.json OUT.png")
    with open(sys.argv[1], encoding="utf-8") as f:
        draw(json.load(f), sys.argv[2])
