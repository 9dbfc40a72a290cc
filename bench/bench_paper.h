// A paper for the benchmarks, outside any window; it records its events when asked to.
#pragma once

#include "events/event_mngr.h"
#include "paper/paper.h"

#include <memory>

namespace qm {

struct BenchPaper {
    explicit BenchPaper(bool recording = true)
    {
        services.liveStroke = &stroke;
        if (recording)
            services.makeEvents = eventRecorder(&stroke, nullptr, 8);
        paper = std::make_unique<TPaper>(window, services);
        flow.paper = paper.get();
    }
    CEventMngr& events() { return static_cast<CEventMngr&>(*paper->eventMngr); }

    TDrawWindow window;
    TStroke stroke;
    TPaperServices services;
    std::unique_ptr<TPaper> paper;
    TFlowImage flow;
};

} // namespace qm
