// What heap_probe_inject and heap_probe.dll agree on: the hook procedure the
// DLL exports and the event it sets once it samples.
#pragma once

constexpr char heapProbeHookName[] = "heapProbeHook";
constexpr char heapProbeSamplingEvent[] = "cascade-heap-probe-sampling";
