// The EXIF engine: one Texif_stl is the in-memory document of one JPEG file,
// holding what is needed to write the file back with changed EXIF fields.
//
// Every instance is self-contained (no shared buffers), so two documents may be
// used on two threads at once. Nothing is printed: results are reported by the
// return values and, when `tracer` is set, as trace text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <time.h>
#include <vector>

class Texif_stl {
public:
    // One JPEG segment before the image data.
    struct marker {
        std::uint16_t code = 0;
        // Payload after the length field; empty for SOI and for the EXIF
        // segment, whose payload is generated when writing.
        std::vector<std::uint8_t> data;
        // For APP1: true when this is the EXIF segment generated from the IFD
        // tree, false when it is kept as raw bytes. No effect on other codes.
        bool is_exif = true;
    };

    struct ifd_entry {
        std::uint16_t tag = 0;
        std::uint8_t type = 0;
        // Value bytes as stored, in the EXIF block's byte order. Empty for a
        // pointer whose sub-IFD was read (the pointer is regenerated).
        std::vector<std::uint8_t> data;

        // Number of values: data size over the unit size, rounded down.
        std::uint32_t count() const;
    };

    struct ifd_type {
        std::vector<ifd_entry> entries;
        // Bytes written before the entry count (maker-note signatures only).
        std::vector<std::uint8_t> header;
        // Read to its end; only present GPS, interoperability and maker-note
        // IFDs are regenerated through pointers.
        bool present = false;

        void clear();
    };

    // Trace sink. Pieces are mostly whole lines ending in "\n", some are
    // fragments (the byte dump of an entry).
    struct tracer {
        virtual ~tracer() = default;
        virtual void trace(const std::string& text) = 0;
    };
    // The data member `tracer` hides the type name inside expressions; this
    // alias names the interface without an elaborated specifier.
    using tracer_interface = struct tracer;

    // Scope guard for a POSIX file descriptor (or none, -1).
    class file_handle_auto_close {
    public:
        explicit file_handle_auto_close(int fd = -1) noexcept : fd_(fd) {}
        ~file_handle_auto_close() { reset(); }
        file_handle_auto_close(const file_handle_auto_close&) = delete;
        file_handle_auto_close& operator=(const file_handle_auto_close&) = delete;

        int get() const noexcept { return fd_; }
        explicit operator bool() const noexcept { return fd_ >= 0; }
        // Closes the held file now; false when close reported an error.
        bool reset(int fd = -1) noexcept;

    private:
        int fd_;
    };

    // Temporary files of write_jpeg are named "." + base name + this infix +
    // random characters, in the destination's folder.
    static constexpr const char* temporary_file_infix = ".lumitag-tmp-";
    // Largest EXIF payload that a segment's 16-bit length field can carry.
    static constexpr std::size_t max_segment_payload = 65533;
    static constexpr std::size_t max_thumbnail_size = 102400;

    // Tags and marker codes with a role in the engine.
    enum : std::uint16_t {
        tag_compression = 0x0103,
        tag_image_description = 0x010E,
        tag_strip_offsets = 0x0111,
        tag_rows_per_strip = 0x0116,
        tag_strip_byte_counts = 0x0117,
        tag_date_time = 0x0132,
        tag_artist = 0x013B,
        tag_jpeg_if_offset = 0x0201,
        tag_jpeg_if_byte_count = 0x0202,
        tag_exif_ifd = 0x8769,
        tag_gps_ifd = 0x8825,
        tag_exif_version = 0x9000,
        tag_date_time_original = 0x9003,
        tag_date_time_digitized = 0x9004,
        tag_user_comment = 0x9286,
        tag_maker_note = 0x927C,
        tag_interop_ifd = 0xA005,
    };
    enum : std::uint16_t {
        marker_soi = 0xFFD8,
        marker_eoi = 0xFFD9,
        marker_sos = 0xFFDA,
        marker_app1 = 0xFFE1,
    };

    // ---- Data model -------------------------------------------------------
    std::vector<marker> markers;       // SOI first, the EXIF APP1 at index 1
    std::int32_t sos_position = 0;     // offset of the image data in file_name
    std::string file_name;             // path of the last read_jpeg
    bool exif_motorola = false;        // byte order of the EXIF block (true: "MM")
    struct timespec file_time {};      // modification time of the file read
    std::vector<ifd_type> ifds;        // main chain: IFD0, IFD1, ...
    ifd_type exif_ifd;
    ifd_type gps_ifd;
    ifd_type interop_ifd;
    ifd_type maker_note_ifd;
    bool motorola = true;              // byte order the number helpers use now
    std::vector<std::uint8_t> thumbnail;
    bool modified = false;             // the document differs from the file
    struct tracer* tracer = nullptr;   // not owned; none means no tracing
    // The benchmark leaves the fsync out; the program always flushes.
    bool flush_to_disk = true;

    Texif_stl() = default;

    // ---- Public operations ------------------------------------------------
    bool read_jpeg(const std::string& path);
    bool write_jpeg(const std::string& path);

    std::string get_image_description() const;
    std::string get_artist() const;
    std::string get_user_comment() const;
    bool get_date_time_original(int& year, int& month, int& day, int& hour, int& minute,
                                int& second) const;

    void set_image_description(const std::string& text);
    void set_artist(const std::string& text);
    void set_user_comment(const std::string& text);
    void set_date_time_original(int year, int month, int day, int hour, int minute, int second);
    void set_date_time(int year, int month, int day, int hour, int minute, int second);
    void set_date_time_digitized(int year, int month, int day, int hour, int minute, int second);

    void remove_thumbnail();

    // ---- Building blocks (used by the operations above, open to tools) ----
    static int type_size(int type);

    void add_marker(const marker& segment);

    ifd_entry* find_entry(std::uint16_t tag);
    const ifd_entry* find_entry(std::uint16_t tag) const;
    static ifd_entry* find_entry_in(ifd_type& ifd, std::uint16_t tag);
    static const ifd_entry* find_entry_in(const ifd_type& ifd, std::uint16_t tag);
    bool remove_entry(std::uint16_t tag);
    static bool remove_entry_in(ifd_type& ifd, std::uint16_t tag);
    static ifd_entry& add_entry(ifd_type& ifd, std::uint16_t tag, std::uint8_t type);
    void create_tag(std::uint16_t tag);
    std::string get_string(std::uint16_t tag) const;
    void set_string(std::uint16_t tag, const std::string& value, std::uint8_t type);
    void set_date(std::uint16_t tag, int year, int month, int day, int hour, int minute, int second);

    // Replaces `out` by the EXIF block built from the IFD tree; returns the
    // number of main IFDs generated. Sorts every generated IFD in place.
    std::size_t generate_exif_data(std::vector<std::uint8_t>& out);

    // Number helpers, in the byte order `motorola` gives.
    std::uint16_t get_u16(const std::uint8_t* bytes) const;
    std::uint32_t get_u32(const std::uint8_t* bytes) const;
    void put_u16(std::vector<std::uint8_t>& out, std::uint16_t value) const;
    void put_u32(std::vector<std::uint8_t>& out, std::uint32_t value) const;
    void put_u32(std::vector<std::uint8_t>& out, std::size_t position, std::uint32_t value) const;

private:
    class file_reader;
    struct read_state;
    struct generation_state;

    void clear_document();
    bool read_segments(file_reader& file);
    bool read_exif_block(file_reader& file, read_state& state);
    bool read_ifd(file_reader& file, ifd_type& ifd, std::int64_t base, read_state& state);
    bool read_entry(file_reader& file, ifd_type& ifd, int index, std::int64_t base, read_state& state);
    bool read_sub_ifd(file_reader& file, std::uint16_t tag, std::uint32_t offset, std::int64_t base,
                      read_state& state);
    bool read_external_value(file_reader& file, std::int64_t position, std::size_t size,
                             std::vector<std::uint8_t>& data);
    bool read_maker_note_header(file_reader& file, ifd_type& ifd);
    void read_thumbnail(file_reader& file, std::int64_t base);
    void read_thumbnail_through(file_reader& file, std::int64_t base, std::uint16_t offset_tag,
                                std::uint16_t length_tag);
    bool has_jpeg_thumbnail_tags() const;
    bool read_u16(file_reader& file, std::uint16_t& value) const;
    bool read_u32(file_reader& file, std::uint32_t& value) const;

    void generate_ifd(std::vector<std::uint8_t>& out, ifd_type& ifd, bool no_next_link, bool is_ifd1,
                      generation_state& state);
    bool build_segments(std::vector<std::uint8_t>& out);
    bool has_exif_carrier() const;

    void trace(const char* format, ...) const __attribute__((format(printf, 2, 3)));
};
