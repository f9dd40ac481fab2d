// Envelope editing handles: a copy of an envelope's state, edited in the handle and
// written back to the host on commit. Positions and values in a handle are the user's:
// seconds (take envelopes from the item start, the play rate divided out, unless asked
// for project time) and unscaled values (a fader-scaled volume is an amplitude factor).
#pragma once

struct TrackEnvelope;
struct BR_Envelope;

namespace sws::envelope {

BR_Envelope* BR_EnvAlloc(TrackEnvelope* envelope, bool takeEnvelopesUseProjectTime);
bool BR_EnvFree(BR_Envelope* envelope, bool commit);
void BR_EnvGetProperties(BR_Envelope* envelope, bool* activeOut, bool* visibleOut, bool* armedOut, bool* inLaneOut,
                         int* laneHeightOut, int* defaultShapeOut, double* minValueOut, double* maxValueOut,
                         double* centerValueOut, int* typeOut, bool* faderScalingOut,
                         int* automationItemsOptionsOutOptional);
void BR_EnvSetProperties(BR_Envelope* envelope, bool active, bool visible, bool armed, bool inLane, int laneHeight,
                         int defaultShape, bool faderScaling, int* automationItemsOptionsInOptional);
void BR_EnvSortPoints(BR_Envelope* envelope);
int BR_EnvCountPoints(BR_Envelope* envelope);
bool BR_EnvGetPoint(BR_Envelope* envelope, int id, double* positionOut, double* valueOut, int* shapeOut,
                    bool* selectedOut, double* bezierOut);
bool BR_EnvSetPoint(BR_Envelope* envelope, int id, double position, double value, int shape, bool selected,
                    double bezier);
bool BR_EnvDeletePoint(BR_Envelope* envelope, int id);

// Frees every handle without writing; the host is unloading the extension.
void free_all();

}  // namespace sws::envelope
