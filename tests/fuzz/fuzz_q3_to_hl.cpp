// Fuzz target: any bytes as a Quake 3 map, converted to Half-Life line by line and whole.
#include "map_fuzz.h"
#include "q3_to_hl.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const map_fuzz::Direction kQ3ToHl{
        ConvertQ3ToHl, ConvertHlToQ3, {kHlFaceOut}, {kHlLightOut}, round_trip::Q3FaceFromHlFace};
    map_fuzz::FuzzMap<Q3ToHlState>(data, size, Q3ToHlLine, kQ3ToHl);
    return 0;
}
