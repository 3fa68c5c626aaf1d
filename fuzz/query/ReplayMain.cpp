// Replays the committed corpus through the fuzz entry (run by CTest).
#include "../common/Replay.h"
#include "QueryFuzz.h"

int main(int argc, char** argv) {
    return quillary::fuzz::ReplayCorpus(argc, argv, quillary::fuzz::RunQueryInput);
}
