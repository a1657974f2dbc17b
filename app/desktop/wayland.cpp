// SPDX-License-Identifier: MIT
// The Wayland protocol, spoken through libwayland: the only file that does.
#include "wayland.h"

#include <QScreen>

#if KERUBADO_WAYLAND_CLIENT
#include <QGuiApplication>

#include <wayland-client.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#endif

namespace desktop::wayland {

#if KERUBADO_WAYLAND_CLIENT
namespace {

// An output as the compositor describes it: its name and current mode.
struct Output {
    wl_output* proxy = nullptr;
    std::string name;
    int width = 0;  // device pixels
    int height = 0; // device pixels
};

struct Globals {
    std::vector<std::unique_ptr<Output>> outputs;
    bool fractionalScales = false;
};

// The name event came with version 4.
constexpr std::uint32_t OutputVersion = 4;

void Geometry(void* /*data*/, wl_output* /*output*/, std::int32_t /*x*/, std::int32_t /*y*/,
              std::int32_t /*mmWidth*/, std::int32_t /*mmHeight*/, std::int32_t /*subpixel*/,
              const char* /*make*/, const char* /*model*/, std::int32_t /*transform*/)
{
}

void Mode(void* data, wl_output* /*output*/, std::uint32_t flags, std::int32_t width, std::int32_t height,
          std::int32_t /*refresh*/)
{
    if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) {
        auto* output = static_cast<Output*>(data);
        output->width = width;
        output->height = height;
    }
}

void Done(void* /*data*/, wl_output* /*output*/) {}

void Scale(void* /*data*/, wl_output* /*output*/, std::int32_t /*factor*/) {}

void Name(void* data, wl_output* /*output*/, const char* name)
{
    static_cast<Output*>(data)->name = name;
}

void Description(void* /*data*/, wl_output* /*output*/, const char* /*description*/) {}

constexpr wl_output_listener OutputListener{Geometry, Mode, Done, Scale, Name, Description};

void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
            std::uint32_t version)
{
    auto* globals = static_cast<Globals*>(data);
    const std::string_view kind = interface;
    if (kind == wl_output_interface.name && version >= OutputVersion) {
        auto output = std::make_unique<Output>();
        output->proxy =
            static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, OutputVersion));
        wl_output_add_listener(output->proxy, &OutputListener, output.get());
        globals->outputs.push_back(std::move(output));
    } else if (kind == "wp_fractional_scale_manager_v1") {
        globals->fractionalScales = true;
    }
}

void GlobalRemove(void* /*data*/, wl_registry* /*registry*/, std::uint32_t /*name*/) {}

constexpr wl_registry_listener RegistryListener{Global, GlobalRemove};

// The compositor's globals and outputs, asked on a queue of this file's own
// so that none of it reaches Qt.
Globals AskCompositor(wl_display* display)
{
    Globals globals;
    wl_event_queue* queue = wl_display_create_queue(display);
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): libwayland's proxies share one base
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue);
    wl_registry* registry = wl_display_get_registry(wrapper);
    wl_registry_add_listener(registry, &RegistryListener, &globals);
    wl_display_roundtrip_queue(display, queue); // the globals
    wl_display_roundtrip_queue(display, queue); // what the outputs say of themselves
    for (const auto& output : globals.outputs) {
        wl_output_release(output->proxy);
    }
    wl_registry_destroy(registry);
    wl_proxy_wrapper_destroy(wrapper);
    wl_event_queue_destroy(queue);
    return globals;
}

} // namespace

std::optional<double> FractionalScale(const QScreen& screen)
{
    const auto* native = qApp->nativeInterface<QNativeInterface::QWaylandApplication>();
    if (native == nullptr) {
        return std::nullopt;
    }
    const Globals globals = AskCompositor(native->display());
    if (!globals.fractionalScales) {
        return std::nullopt;
    }
    const auto output =
        std::find_if(globals.outputs.begin(), globals.outputs.end(),
                     [&screen](const auto& seen) { return seen->name == screen.name().toStdString(); });
    // Qt's screen is the output's logical size; a rotated output turns both.
    const QSize logical = screen.geometry().size();
    if (output == globals.outputs.end() || logical.isEmpty() || (*output)->width <= 0) {
        return std::nullopt;
    }
    const double ratio = static_cast<double>(std::max((*output)->width, (*output)->height)) /
                         std::max(logical.width(), logical.height());
    // Compositors scale in 120ths.
    constexpr double Steps = 120.0;
    return std::round(ratio * Steps) / Steps;
}

#else

std::optional<double> FractionalScale(const QScreen& /*screen*/)
{
    return std::nullopt; // this Qt takes whole scales only
}

#endif

} // namespace desktop::wayland
