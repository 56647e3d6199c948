#include <fcntl.h>
#include <linux/videodev2.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "camera_source.h"

namespace rtc {
namespace {

constexpr unsigned kBufferCount = 4;
// A capture call waits at most this long for the device, so that the video thread keeps time.
constexpr int kCaptureWaitMs = 50;

int Ioctl(int fd, unsigned long request, void* argument) {
  int result;
  do {
    result = ::ioctl(fd, request, argument);
  } while (result < 0 && errno == EINTR);
  return result;
}

uint32_t Clamp(int value) { return static_cast<uint32_t>(std::clamp(value, 0, 255)); }

// BT.601 limited range, as webcams deliver it.
uint32_t YuvToArgb(int y, int u, int v) {
  int c = y - 16;
  int d = u - 128;
  int e = v - 128;
  uint32_t r = Clamp((298 * c + 409 * e + 128) >> 8);
  uint32_t g = Clamp((298 * c - 100 * d - 208 * e + 128) >> 8);
  uint32_t b = Clamp((298 * c + 516 * d + 128) >> 8);
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

class V4l2CameraSource final : public VideoSource {
 public:
  ~V4l2CameraSource() override {
    if (fd_ < 0) return;
    v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    Ioctl(fd_, VIDIOC_STREAMOFF, &type);
    for (const Mapping& mapping : mappings_) ::munmap(mapping.start, mapping.length);
    ::close(fd_);
  }

  bool Open(const std::string& node, int width, int height, std::string& error) {
    fd_ = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return Fail(error, node + ": cannot be opened: " + std::strerror(errno));
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    format.fmt.pix.width = static_cast<uint32_t>(width);
    format.fmt.pix.height = static_cast<uint32_t>(height);
    format.fmt.pix.pixelformat = V4L2_PIX_FMT_YUYV;
    format.fmt.pix.field = V4L2_FIELD_NONE;
    if (Ioctl(fd_, VIDIOC_S_FMT, &format) < 0 || format.fmt.pix.pixelformat != V4L2_PIX_FMT_YUYV) {
      return Fail(error, node + ": offers no YUYV capture");
    }
    width_ = static_cast<int>(format.fmt.pix.width);
    height_ = static_cast<int>(format.fmt.pix.height);
    bytes_per_line_ =
        static_cast<int>(std::max<uint32_t>(format.fmt.pix.bytesperline, format.fmt.pix.width * 2));
    v4l2_requestbuffers request{};
    request.count = kBufferCount;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    if (Ioctl(fd_, VIDIOC_REQBUFS, &request) < 0 || request.count == 0) {
      return Fail(error, node + ": gives no capture buffers");
    }
    for (unsigned i = 0; i < request.count; ++i) {
      v4l2_buffer buffer{};
      buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
      buffer.memory = V4L2_MEMORY_MMAP;
      buffer.index = i;
      if (Ioctl(fd_, VIDIOC_QUERYBUF, &buffer) < 0)
        return Fail(error, node + ": buffer query failed");
      void* start =
          ::mmap(nullptr, buffer.length, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, buffer.m.offset);
      if (start == MAP_FAILED) return Fail(error, node + ": buffer cannot be mapped");
      mappings_.push_back(Mapping{start, buffer.length});
      if (Ioctl(fd_, VIDIOC_QBUF, &buffer) < 0)
        return Fail(error, node + ": buffer cannot be queued");
    }
    v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (Ioctl(fd_, VIDIOC_STREAMON, &type) < 0) return Fail(error, node + ": streaming fails");
    return true;
  }

  bool Capture(int64_t, VideoFrame& frame) override {
    pollfd ready{fd_, POLLIN, 0};
    if (::poll(&ready, 1, kCaptureWaitMs) != 1) return false;
    v4l2_buffer buffer{};
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    if (Ioctl(fd_, VIDIOC_DQBUF, &buffer) < 0) return false;
    bool complete = buffer.index < mappings_.size() &&
                    buffer.bytesused >= static_cast<uint32_t>(bytes_per_line_ * height_);
    if (complete) Convert(static_cast<const uint8_t*>(mappings_[buffer.index].start), frame);
    Ioctl(fd_, VIDIOC_QBUF, &buffer);
    return complete;
  }

 private:
  struct Mapping {
    void* start;
    std::size_t length;
  };

  static bool Fail(std::string& error, const std::string& why) {
    error = why;
    return false;
  }

  void Convert(const uint8_t* yuyv, VideoFrame& frame) const {
    if (frame.width != width_ || frame.height != height_) frame.Resize(width_, height_);
    for (int y = 0; y < height_; ++y) {
      const uint8_t* in = yuyv + static_cast<std::ptrdiff_t>(y) * bytes_per_line_;
      uint32_t* out = frame.pixels.data() + static_cast<std::ptrdiff_t>(y) * width_;
      for (int x = 0; x + 1 < width_; x += 2, in += 4) {
        out[x] = YuvToArgb(in[0], in[1], in[3]);
        out[x + 1] = YuvToArgb(in[2], in[1], in[3]);
      }
    }
  }

  int fd_ = -1;
  int width_ = 0;
  int height_ = 0;
  int bytes_per_line_ = 0;
  std::vector<Mapping> mappings_;
};

}  // namespace

std::unique_ptr<VideoSource> OpenV4l2Camera(const std::string& node, int width, int height,
                                            std::string& error) {
  auto camera = std::make_unique<V4l2CameraSource>();
  if (!camera->Open(node, width, height, error)) return nullptr;
  return camera;
}

}  // namespace rtc
