// The public face of the decoder: owns the machine that holds the window, tables and state.
#include "inflate/inflater.h"

#include "inflate/inflate_machine.h"

namespace larkspur::inflate {

Inflater::Inflater() : machine_(std::make_unique<InflateMachine>()) {}
Inflater::~Inflater() = default;
Inflater::Inflater(Inflater&&) noexcept = default;
Inflater& Inflater::operator=(Inflater&&) noexcept = default;

void Inflater::reset() {
  machine_->reset();
}

InflateStep Inflater::inflate(std::span<const std::uint8_t> in, std::span<std::uint8_t> out,
                              bool inputEnds) {
  return machine_->run(in, out, inputEnds);
}

} // namespace larkspur::inflate
