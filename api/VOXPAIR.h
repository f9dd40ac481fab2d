// Bilingual insertion: a folder of subject-language lines and a folder of the same lines
// in the base language, paired by file name and laid out one pair after the other on the
// children "base" and "unique" of a parent track per keyword group, with the subject
// line's loudness optionally matched to its base line.
#pragma once

#include <string>
#include <vector>

namespace mx_api::VOXPAIR {

// startEndType 1 starts startPos seconds after the end of the project, any other value
// at startPos. The group of a file is the first keyword of trackNameList its name holds
// (letter case ignored), "None" without one. isRIDEFORM rides each subject line before
// its loudness is set, and only together with isVolMatch. The paths of subject lines
// without a base line of exactly the same file name are appended to
// unmatchedPathListOut. Returns 0; a completed call leaves the error code cleared.
int VOXPAIR_InsertMediaItems(std::string subjectLangPath, std::string baseLangPath, double startPos,
                             double mediaInterval, int startEndType, bool isVolMatch, bool isRIDEFORM,
                             int RIDEFORM_ratioType, std::vector<std::string>& trackNameList,
                             std::vector<std::string>& unmatchedPathListOut);

}  // namespace mx_api::VOXPAIR
