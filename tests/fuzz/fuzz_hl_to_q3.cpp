// Fuzz target: any bytes as a Half-Life map, converted to Quake 3 line by line and whole.
#include "hl_to_q3.h"
#include "map_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const map_fuzz::Direction kHlToQ3{ConvertHlToQ3,
                                             ConvertQ3ToHl,
                                             {kQ3FaceOut},
                                             {kQ3LightOut, kQ3ColorOut, kQ3RadiusOut},
                                             round_trip::HlFaceFromQ3Face};
    map_fuzz::FuzzMap<HlToQ3State>(data, size, HlToQ3Line, kHlToQ3);
    return 0;
}
