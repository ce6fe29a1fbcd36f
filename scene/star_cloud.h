// A cloud of points compiled once into a display list and replayed every frame
// in layers, each turned about the vertical axis and drawn with a larger point
// size.
#pragma once

class Camera;

class StarCloud {
public:
    // How many candidates a single point may take before build gives up on
    // settings that (in practice) admit no point at all.
    static constexpr long maxCandidatesPerPoint = 1L << 20;

    StarCloud();
    virtual ~StarCloud();

    // Replaces the display list with a newly placed and coloured set of
    // pointCount / layers points. Draws from the random sequence.
    void build();
    // Replays the list `layers` times; reads only the camera's position.
    void draw(const Camera& camera);
    void release();

    unsigned int listId = 0;  // 0: no list
    int pointCount = 10;
    int shape = 1;  // 1 hollow cube, 2 upper half shell, anything else full shell
    int blendOn = 1;
    int depthTestOn = 0;
    int depthWriteOn = 0;
    int layers = 1;
    int followCamera = 0;
    int useFog = 0;  // read by the scene's world pass, not by the cloud
    double outerSize = 2.0;
    double innerSize = 0.0;
    double colourBase = 0.3;
    double colourRange = 0.7;
};
