#include "check/Quor_CheckProgress.h"

#include "core/Quor_Notify.h"

NoticeEffect ProgressCounters::Apply(std::uint32_t code, std::uint32_t value) {
  switch (code) {
    case CN_BUSY:
      return NoticeEffect::BusyCursor;
    case CN_IDLE:
      return NoticeEffect::IdleCursor;
    case CN_TIMER_ON:
      return NoticeEffect::TimerOn;
    case CN_SFV_DONE:
      return NoticeEffect::SfvDone;
    case CN_SFV_BEGIN:
      SfvTotalBytes = 0;
      SfvBytesDone = 0;
      BytesAtLastTick = 0;
      return NoticeEffect::None;
    case CN_NEXT_SFV:
      return NoticeEffect::NextSfv;
    case CN_TOTAL_HI:
      SfvTotalBytes = static_cast<std::int64_t>((static_cast<std::uint64_t>(value) << 32) |
                                                (static_cast<std::uint64_t>(SfvTotalBytes) & 0xFFFFFFFFu));
      return NoticeEffect::None;
    case CN_TOTAL_LO:
      SfvTotalBytes = static_cast<std::int64_t>((static_cast<std::uint64_t>(SfvTotalBytes) & ~std::uint64_t{0xFFFFFFFF}) |
                                                value);
      return NoticeEffect::None;
    case CN_BYTES_DONE:
      SfvBytesDone += static_cast<std::int64_t>(value);
      return NoticeEffect::None;
    default:
      return NoticeEffect::None;
  }
}

int PercentDone(std::int64_t done, std::int64_t total) {
  if (total <= 0 || done <= 0) return 0;
  if (done >= total) return 100;
  // done * 100 overflows 64 bits for huge totals; the product needs 71.
  return static_cast<int>(static_cast<unsigned __int128>(done) * 100 / static_cast<unsigned __int128>(total));
}
