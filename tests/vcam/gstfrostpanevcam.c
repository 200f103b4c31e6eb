/* Frostpane virtual webcam: a GStreamer plugin whose device provider lists
 * configurable fake cameras of class "Video/Source".
 *
 * Qt Multimedia's GStreamer backend finds cameras through GstDeviceMonitor and
 * opens them with gst_device_create_element(), so once this plugin is on
 * GST_PLUGIN_PATH the game sees these devices exactly like USB webcams. That
 * lets tests and CI (which have no camera) drive the real capture code.
 *
 * Everything is configured through environment variables, read each time the
 * provider probes or starts (see README.md next to this file):
 *
 *   FROSTPANE_VCAM_DEVICES      number of devices (default 1, 0 = none)
 *   FROSTPANE_VCAM_DEFAULT      index of the device flagged as default, or -1
 *   FROSTPANE_VCAM<i>_NAME      display name
 *   FROSTPANE_VCAM<i>_CAPS      modes "FMT:WxH@FPS,..." in advertised order
 *   FROSTPANE_VCAM<i>_PATTERN   ball | snow | black | smpte | any videotestsrc
 *                               pattern nick
 *   FROSTPANE_VCAM<i>_REGION    X,Y,W,H: the pattern shows only in this box
 *                               (fractions of the frame), black around it
 *   FROSTPANE_VCAM<i>_STOP_AFTER  deliver this many frames, then stop
 *   FROSTPANE_VCAM<i>_STOP_MODE   eos | freeze | error | unplug
 *   FROSTPANE_VCAM<i>_APPEAR_AFTER  not listed at first, plugged in this
 *                               many ms after the provider starts
 *   FROSTPANE_VCAM<i>_LEAVE_AFTER   unplugged this many ms after the start
 *   FROSTPANE_VCAM<i>_RETURN_AFTER  plugged in again this many ms after the
 *                               start (after LEAVE_AFTER)
 *
 * The timed plugging only happens in a started provider (a running
 * GstDeviceMonitor, which is what Qt keeps): a thread of the provider adds and
 * removes the devices, so the monitor's bus reports them like udev hot-plug.
 *
 * A device's element is "frostpanevcamsrc", a bin around
 *   videotestsrc is-live=true ! capsfilter [! jpegenc ! capsfilter]
 * with a "src" ghost pad. The same element can be used directly in
 * gst-launch-1.0 ("frostpanevcamsrc device-index=1 ! ..."), which is what
 * gst-device-monitor-1.0 prints as the device's launch line.
 */

#include <gst/gst.h>
#include <gst/video/video.h>

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#ifndef PACKAGE
#define PACKAGE "frostpane-vcam"
#endif
#ifndef VERSION
#define VERSION "1.0"
#endif

GST_DEBUG_CATEGORY_STATIC(frostpane_vcam_debug);
#define GST_CAT_DEFAULT frostpane_vcam_debug

/* Upper bound for FROSTPANE_VCAM_DEVICES: plenty for tests, and it keeps a
 * mistyped huge number from flooding the device list. */
#define FP_VCAM_MAX_DEVICES 16

#define FP_VCAM_DEFAULT_CAPS "YUY2:640x480@30,YUY2:640x480@15,YUY2:1280x720@30"
#define FP_VCAM_DEFAULT_PATTERN "ball"

typedef enum {
    FP_STOP_EOS,    /* end of stream after N frames */
    FP_STOP_FREEZE, /* stream stays up but no buffer flows any more */
    FP_STOP_ERROR,  /* element posts a resource error, no more buffers */
    FP_STOP_UNPLUG  /* error + the device disappears from the monitor */
} FpStopMode;

/* ------------------------------------------------------------------------ */
/* Configuration parsing                                                    */
/* ------------------------------------------------------------------------ */

static void fp_complain(const gchar *var, const gchar *value, const gchar *why)
{
    /* Printed unconditionally: a misconfigured test camera must be obvious in
   * test logs, not only under GST_DEBUG. */
    g_printerr("frostpanevcam: invalid %s=\"%s\": %s\n", var, value, why);
    GST_WARNING("invalid %s=\"%s\": %s", var, value, why);
}

/* Parses a decimal integer in [min, max]; the whole string must be used. */
static gboolean fp_parse_int(const gchar *text, gint64 min, gint64 max, gint64 *out)
{
    gchar *end = NULL;
    gint64 v;

    if (text == NULL)
        return FALSE;
    while (g_ascii_isspace(*text))
        text++;
    if (*text == '\0')
        return FALSE;
    errno = 0;
    v = g_ascii_strtoll(text, &end, 10);
    if (errno != 0 || end == text)
        return FALSE;
    while (g_ascii_isspace(*end))
        end++;
    if (*end != '\0' || v < min || v > max)
        return FALSE;
    *out = v;
    return TRUE;
}

/* Parses one mode "FMT:WxH@N" or "FMT:WxH@N/D" into a caps structure:
 * MJPG (or JPEG) becomes image/jpeg, any GstVideoFormat name (YUY2, NV12,
 * I420, BGRx, ...) becomes video/x-raw with that format. */
static GstStructure *fp_parse_mode(const gchar *mode, gboolean *is_jpeg, gchar **error)
{
    gchar *copy = g_strstrip(g_strdup(mode));
    gchar *colon = strchr(copy, ':');
    gchar *x, *at, *slash;
    gint64 w, h, num, den = 1;
    GstStructure *s = NULL;

    if (colon == NULL) {
        *error = g_strdup_printf("mode \"%s\" lacks \"FORMAT:\"", mode);
        goto out;
    }
    *colon = '\0';
    x = strchr(colon + 1, 'x');
    at = x ? strchr(x + 1, '@') : NULL;
    if (x == NULL || at == NULL) {
        *error = g_strdup_printf("mode \"%s\" is not FORMAT:WIDTHxHEIGHT@FPS", mode);
        goto out;
    }
    *x = '\0';
    *at = '\0';
    slash = strchr(at + 1, '/');
    if (slash != NULL)
        *slash = '\0';
    if (!fp_parse_int(colon + 1, 1, 16384, &w) || !fp_parse_int(x + 1, 1, 16384, &h)
        || !fp_parse_int(at + 1, 1, 1000000, &num) || (slash != NULL && !fp_parse_int(slash + 1, 1, 1000000, &den))) {
        *error = g_strdup_printf("mode \"%s\" has a bad size or frame rate", mode);
        goto out;
    }

    if (g_ascii_strcasecmp(copy, "MJPG") == 0 || g_ascii_strcasecmp(copy, "JPEG") == 0) {
        *is_jpeg = TRUE;
        s = gst_structure_new("image/jpeg", "width", G_TYPE_INT, (gint)w, "height", G_TYPE_INT, (gint)h, "framerate",
                              GST_TYPE_FRACTION, (gint)num, (gint)den, NULL);
    } else {
        GstVideoFormat fmt = gst_video_format_from_string(copy);
        if (fmt == GST_VIDEO_FORMAT_UNKNOWN || fmt == GST_VIDEO_FORMAT_ENCODED) {
            *error = g_strdup_printf("mode \"%s\": unknown pixel format \"%s\"", mode, copy);
            goto out;
        }
        *is_jpeg = FALSE;
        s = gst_structure_new("video/x-raw", "format", G_TYPE_STRING, gst_video_format_to_string(fmt), "width",
                              G_TYPE_INT, (gint)w, "height", G_TYPE_INT, (gint)h, "framerate", GST_TYPE_FRACTION,
                              (gint)num, (gint)den, NULL);
    }

out:
    g_free(copy);
    return s;
}

/* Builds the advertised caps from a mode list, keeping the given order (Qt
 * picks the first structure that matches a requested size). One device is
 * either all-MJPG or all-raw: switching encoders mid-stream is not modelled. */
static GstCaps *fp_parse_caps(const gchar *list, gboolean *is_jpeg, gchar **error)
{
    gchar **modes = g_strsplit(list, ",", -1);
    GstCaps *caps = gst_caps_new_empty();
    gboolean any_jpeg = FALSE, any_raw = FALSE;
    guint i;

    for (i = 0; modes[i] != NULL; i++) {
        gboolean jpeg = FALSE;
        GstStructure *s;

        if (*g_strstrip(modes[i]) == '\0')
            continue;
        s = fp_parse_mode(modes[i], &jpeg, error);
        if (s == NULL)
            goto fail;
        if (jpeg)
            any_jpeg = TRUE;
        else
            any_raw = TRUE;
        /* append, not merge: the caps list the modes exactly as written */
        gst_caps_append_structure(caps, s);
    }
    if (gst_caps_is_empty(caps)) {
        *error = g_strdup("no modes given");
        goto fail;
    }
    if (any_jpeg && any_raw) {
        *error = g_strdup("MJPG and raw modes cannot be mixed on one device");
        goto fail;
    }
    g_strfreev(modes);
    *is_jpeg = any_jpeg;
    return caps;

fail:
    g_strfreev(modes);
    gst_caps_unref(caps);
    return NULL;
}

/* Checks a pattern name against videotestsrc's own enum, so any of its
 * patterns can be used and typos are reported instead of silently ignored. */
static gboolean fp_pattern_is_valid(const gchar *pattern)
{
    GstElement *probe = gst_element_factory_make("videotestsrc", NULL);
    GParamSpec *param;
    gboolean ok = FALSE;

    if (probe == NULL)
        return FALSE;
    param = g_object_class_find_property(G_OBJECT_GET_CLASS(probe), "pattern");
    if (param != NULL && G_IS_PARAM_SPEC_ENUM(param)) {
        GEnumClass *enum_class = G_PARAM_SPEC_ENUM(param)->enum_class;
        ok = g_enum_get_value_by_nick(enum_class, pattern) != NULL;
    }
    gst_object_unref(probe);
    return ok;
}

static gchar *fp_env_name(guint index, const gchar *key)
{
    return g_strdup_printf("FROSTPANE_VCAM%u_%s", index, key);
}

/* ------------------------------------------------------------------------ */
/* Per-camera configuration                                                 */
/* ------------------------------------------------------------------------ */

typedef struct
{
    guint index;
    gchar *name;
    GstCaps *caps; /* advertised modes, in order */
    gboolean is_jpeg;
    gchar *pattern;
    /* The box the pattern shows in, as fractions of the frame; has_region
     * FALSE: the whole frame. */
    gboolean has_region;
    gdouble region[4];
    guint64 stop_after; /* 0 = never stop */
    FpStopMode stop_mode;
    /* Milliseconds after the provider starts; -1 = not set. Without
   * appear_after the camera is there from the start. */
    gint64 appear_after;
    gint64 leave_after;
    gint64 return_after;
} FpVcamConfig;

static void fp_config_clear(FpVcamConfig *cfg)
{
    g_clear_pointer(&cfg->name, g_free);
    g_clear_pointer(&cfg->pattern, g_free);
    gst_clear_caps(&cfg->caps);
}

static void fp_config_copy(FpVcamConfig *dst, const FpVcamConfig *src)
{
    *dst = *src;
    dst->name = g_strdup(src->name);
    dst->pattern = g_strdup(src->pattern);
    dst->caps = gst_caps_ref(src->caps);
}

/* Reads FROSTPANE_VCAM<index>_<key> as a delay in milliseconds; -1 when unset. */
static gboolean fp_config_read_ms(guint index, const gchar *key, gint64 *out)
{
    gchar *var = fp_env_name(index, key);
    const gchar *value = g_getenv(var);
    gboolean ok = TRUE;

    *out = -1;
    if (value != NULL && *value != '\0' && !fp_parse_int(value, 0, G_MAXINT, out)) {
        fp_complain(var, value, "expected a delay in milliseconds >= 0");
        ok = FALSE;
    }
    g_free(var);
    return ok;
}

/* The plug timeline must be in order: appear < leave < return. */
static gboolean fp_config_read_timeline(guint index, FpVcamConfig *cfg)
{
    gchar *var = NULL, *value = NULL;
    const gchar *why = NULL;

    if (!fp_config_read_ms(index, "APPEAR_AFTER", &cfg->appear_after)
        || !fp_config_read_ms(index, "LEAVE_AFTER", &cfg->leave_after)
        || !fp_config_read_ms(index, "RETURN_AFTER", &cfg->return_after))
        return FALSE;

    if (cfg->leave_after >= 0 && cfg->leave_after <= cfg->appear_after) {
        var = fp_env_name(index, "LEAVE_AFTER");
        value = g_strdup_printf("%" G_GINT64_FORMAT, cfg->leave_after);
        why = "must be later than APPEAR_AFTER";
    } else if (cfg->return_after >= 0 && cfg->leave_after < 0) {
        var = fp_env_name(index, "RETURN_AFTER");
        value = g_strdup_printf("%" G_GINT64_FORMAT, cfg->return_after);
        why = "needs LEAVE_AFTER (a camera can only return after leaving)";
    } else if (cfg->return_after >= 0 && cfg->return_after <= cfg->leave_after) {
        var = fp_env_name(index, "RETURN_AFTER");
        value = g_strdup_printf("%" G_GINT64_FORMAT, cfg->return_after);
        why = "must be later than LEAVE_AFTER";
    }
    if (why != NULL) {
        fp_complain(var, value, why);
        g_free(var);
        g_free(value);
        return FALSE;
    }
    return TRUE;
}

/* Reads the FROSTPANE_VCAM<index>_* variables. Returns FALSE (after printing
 * why) when they are invalid, so a broken test setup shows up as a missing
 * camera plus a message rather than as a camera doing something unexpected. */
static gboolean fp_config_from_env(guint index, FpVcamConfig *cfg)
{
    gchar *var;
    const gchar *value;
    gchar *error = NULL;
    gint64 stop_after = 0;

    memset(cfg, 0, sizeof(*cfg));
    cfg->index = index;

    var = fp_env_name(index, "CAPS");
    value = g_getenv(var);
    cfg->caps = fp_parse_caps(value ? value : FP_VCAM_DEFAULT_CAPS, &cfg->is_jpeg, &error);
    if (cfg->caps == NULL) {
        fp_complain(var, value, error);
        g_free(error);
        goto fail;
    }
    g_free(var);

    var = fp_env_name(index, "PATTERN");
    value = g_getenv(var);
    cfg->pattern = g_strdup(value && *value ? value : FP_VCAM_DEFAULT_PATTERN);
    if (!fp_pattern_is_valid(cfg->pattern)) {
        fp_complain(var, cfg->pattern, "not a videotestsrc pattern (ball, snow, black, smpte, ...)");
        goto fail;
    }
    g_free(var);

    var = fp_env_name(index, "REGION");
    value = g_getenv(var);
    if (value != NULL && *value != '\0') {
        gchar **parts = g_strsplit(value, ",", -1);
        gboolean ok = g_strv_length(parts) == 4;
        for (guint i = 0; ok && i < 4; i++) {
            gchar *end = NULL;
            cfg->region[i] = g_ascii_strtod(parts[i], &end);
            ok = end != parts[i] && *end == '\0' && cfg->region[i] >= 0.0 && cfg->region[i] <= 1.0;
        }
        g_strfreev(parts);
        if (!ok || cfg->region[0] + cfg->region[2] > 1.0 || cfg->region[1] + cfg->region[3] > 1.0) {
            fp_complain(var, value, "expected X,Y,W,H: fractions of the frame, the box inside it");
            goto fail;
        }
        cfg->has_region = TRUE;
    }
    g_free(var);

    var = fp_env_name(index, "STOP_AFTER");
    value = g_getenv(var);
    if (value != NULL && *value != '\0' && !fp_parse_int(value, 0, G_MAXINT, &stop_after)) {
        fp_complain(var, value, "expected a frame count >= 0");
        goto fail;
    }
    cfg->stop_after = (guint64)stop_after;
    g_free(var);

    var = fp_env_name(index, "STOP_MODE");
    value = g_getenv(var);
    if (value == NULL || *value == '\0' || g_ascii_strcasecmp(value, "eos") == 0)
        cfg->stop_mode = FP_STOP_EOS;
    else if (g_ascii_strcasecmp(value, "freeze") == 0)
        cfg->stop_mode = FP_STOP_FREEZE;
    else if (g_ascii_strcasecmp(value, "error") == 0)
        cfg->stop_mode = FP_STOP_ERROR;
    else if (g_ascii_strcasecmp(value, "unplug") == 0)
        cfg->stop_mode = FP_STOP_UNPLUG;
    else {
        fp_complain(var, value, "expected eos, freeze, error or unplug");
        goto fail;
    }
    g_free(var);

    var = NULL;
    if (!fp_config_read_timeline(index, cfg))
        goto fail;

    var = fp_env_name(index, "NAME");
    value = g_getenv(var);
    cfg->name = value && *value ? g_strdup(value) : g_strdup_printf("Frostpane Virtual Camera %u", index);
    g_free(var);
    return TRUE;

fail:
    g_free(var);
    fp_config_clear(cfg);
    g_printerr("frostpanevcam: virtual camera %u is left out\n", index);
    return FALSE;
}

/* ------------------------------------------------------------------------ */
/* Source element: what gst_device_create_element() returns                 */
/* ------------------------------------------------------------------------ */

/* Defined with the device below. */
static gboolean fp_vcam_device_is_gone(GstDevice *device);
static void fp_vcam_device_unplug(GstDevice *device);

#define FP_TYPE_VCAM_SRC (fp_vcam_src_get_type())
G_DECLARE_FINAL_TYPE(FpVcamSrc, fp_vcam_src, FP, VCAM_SRC, GstBin)

struct _FpVcamSrc
{
    GstBin parent;

    GstPad *ghost;
    guint index; /* FROSTPANE_VCAM<index>_* when built from env */
    gboolean built;
    GstDevice *device; /* set when created through the device; for unplug */
};

enum { PROP_0, PROP_DEVICE_INDEX };

static GstStaticPadTemplate fp_src_template = GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS,
                                                                      GST_STATIC_CAPS("video/x-raw; image/jpeg"));

G_DEFINE_TYPE(FpVcamSrc, fp_vcam_src, GST_TYPE_BIN)

/* Watches the frames leaving videotestsrc: counts them for STOP_AFTER in
 * freeze/error/unplug mode (eos mode simply uses videotestsrc's num-buffers)
 * and ends the stream once the device has been unplugged (LEAVE_AFTER, or
 * another stream's STOP_MODE=unplug). It lives as long as the probe. */
typedef struct
{
    GstElement *src;   /* not owned: the probe dies with its pad */
    GstDevice *device; /* owned, may be NULL */
    guint index;
    gboolean limited; /* STOP_AFTER applies here */
    guint64 remaining;
    FpStopMode mode;
    gboolean stopped;
    gboolean error_posted;
} FpStopCounter;

static void fp_stop_counter_free(gpointer data)
{
    FpStopCounter *counter = data;
    if (counter->device != NULL)
        gst_object_unref(counter->device);
    g_free(counter);
}

static GstPadProbeReturn fp_stop_probe(GstPad *pad, GstPadProbeInfo *info, gpointer user_data)
{
    FpStopCounter *counter = user_data;
    (void)pad;
    (void)info;

    if (counter->device != NULL && !counter->error_posted && fp_vcam_device_is_gone(counter->device)) {
        /* Pulled out under a running stream, or made through a device object
     * that went stale: error, no more frames, as with STOP_MODE=unplug. A
     * frozen stream errors too: the camera is gone. */
        GST_INFO_OBJECT(counter->src, "device unplugged");
        counter->stopped = TRUE;
        counter->error_posted = TRUE;
        /* v4l2src's own words: "Could not read from resource." */
        GST_ELEMENT_ERROR(counter->src, RESOURCE, READ, (NULL), ("camera %u was unplugged", counter->index));
        return GST_PAD_PROBE_DROP;
    }
    if (counter->stopped)
        return GST_PAD_PROBE_DROP;
    if (!counter->limited)
        return GST_PAD_PROBE_OK;
    if (counter->remaining > 0) {
        counter->remaining--;
        return GST_PAD_PROBE_OK;
    }

    counter->stopped = TRUE;
    GST_INFO_OBJECT(counter->src, "frame budget used up, stop mode %d", counter->mode);
    if (counter->mode == FP_STOP_ERROR || counter->mode == FP_STOP_UNPLUG) {
        /* The same kind of error v4l2src raises when a webcam is pulled. */
        counter->error_posted = TRUE;
        GST_ELEMENT_ERROR(counter->src, RESOURCE, READ, (NULL),
                          ("camera %u: STOP_AFTER frame budget used up", counter->index));
    }
    if (counter->mode == FP_STOP_UNPLUG && counter->device != NULL)
        fp_vcam_device_unplug(counter->device);
    /* freeze: the source keeps running live, nothing reaches downstream */
    return GST_PAD_PROBE_DROP;
}

/* Blacks out every pixel of a raw frame outside the box, whatever the
 * format: each 8- or 16-bit component of each plane, at its own
 * subsampling, is set to black's value (Y 16, U and V 128 for YUV; 0 for
 * RGB; alpha opaque). A frame whose caps are not known yet, or a format
 * with components packed below a byte, passes as it is. */
typedef struct
{
    gdouble region[4];
} FpRegion;

static GstPadProbeReturn fp_region_probe(GstPad *pad, GstPadProbeInfo *info, gpointer user_data)
{
    const FpRegion *r = user_data;
    GstCaps *caps = gst_pad_get_current_caps(pad);
    GstVideoInfo vinfo;
    GstVideoFrame frame;
    GstBuffer *buffer;
    gboolean known = caps != NULL && gst_video_info_from_caps(&vinfo, caps);

    if (caps != NULL)
        gst_caps_unref(caps);
    if (!known)
        return GST_PAD_PROBE_OK;
    buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    if (!gst_video_frame_map(&frame, &vinfo, buffer, GST_MAP_READWRITE))
        return GST_PAD_PROBE_OK;
    {
        const GstVideoFormatInfo *finfo = vinfo.finfo;
        const gint width = GST_VIDEO_INFO_WIDTH(&vinfo), height = GST_VIDEO_INFO_HEIGHT(&vinfo);
        const gint left = (gint)(r->region[0] * width), top = (gint)(r->region[1] * height);
        const gint right = (gint)((r->region[0] + r->region[2]) * width);
        const gint bottom = (gint)((r->region[1] + r->region[3]) * height);
        for (guint c = 0; c < GST_VIDEO_FORMAT_INFO_N_COMPONENTS(finfo); c++) {
            const guint depth = GST_VIDEO_FORMAT_INFO_DEPTH(finfo, c);
            const guint plane = GST_VIDEO_FORMAT_INFO_PLANE(finfo, c);
            const gint pstride = GST_VIDEO_FORMAT_INFO_PSTRIDE(finfo, c);
            const gint wsub = GST_VIDEO_FORMAT_INFO_W_SUB(finfo, c), hsub = GST_VIDEO_FORMAT_INFO_H_SUB(finfo, c);
            const gint cw = GST_VIDEO_FRAME_COMP_WIDTH(&frame, c), ch = GST_VIDEO_FRAME_COMP_HEIGHT(&frame, c);
            const gint stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, plane);
            guint8 *base = (guint8 *)GST_VIDEO_FRAME_PLANE_DATA(&frame, plane)
                           + GST_VIDEO_FORMAT_INFO_POFFSET(finfo, c);
            guint black = 0;
            if ((depth != 8 && depth != 16) || GST_VIDEO_FORMAT_INFO_SHIFT(finfo, c) != 0 || pstride <= 0)
                continue;
            if (c == GST_VIDEO_COMP_A && GST_VIDEO_FORMAT_INFO_HAS_ALPHA(finfo))
                black = 255;
            else if (GST_VIDEO_FORMAT_INFO_IS_YUV(finfo) || GST_VIDEO_FORMAT_INFO_IS_GRAY(finfo))
                black = c == GST_VIDEO_COMP_Y ? 16 : 128;
            for (gint y = 0; y < ch; y++) {
                const gint py = y << hsub;
                guint8 *row = base + (gsize)y * (gsize)stride;
                for (gint x = 0; x < cw; x++) {
                    const gint px = x << wsub;
                    if (px >= left && px < right && py >= top && py < bottom)
                        continue;
                    if (depth == 8) {
                        row[(gsize)x * (gsize)pstride] = (guint8)black;
                    } else {
                        const guint16 value = (guint16)(black * 257u);
                        memcpy(row + (gsize)x * (gsize)pstride, &value, sizeof value); /* host order: _LE here */
                    }
                }
            }
        }
    }
    gst_video_frame_unmap(&frame);
    return GST_PAD_PROBE_OK;
}

static GstElement *fp_make(GstBin *bin, const gchar *factory, const gchar *name)
{
    GstElement *e = gst_element_factory_make(factory, name);
    if (e == NULL) {
        g_printerr("frostpanevcam: GStreamer element \"%s\" is missing "
                   "(gstreamer1.0-plugins-base / -good)\n",
                   factory);
        return NULL;
    }
    gst_bin_add(bin, e);
    return e;
}

static void fp_vcam_src_clear(FpVcamSrc *self)
{
    gst_ghost_pad_set_target(GST_GHOST_PAD(self->ghost), NULL);
    for (;;) {
        GstElement *child = NULL;
        GST_OBJECT_LOCK(self);
        if (GST_BIN_CHILDREN(self) != NULL)
            child = gst_object_ref(GST_BIN_CHILDREN(self)->data);
        GST_OBJECT_UNLOCK(self);
        if (child == NULL)
            break;
        gst_element_set_state(child, GST_STATE_NULL);
        gst_bin_remove(GST_BIN(self), child);
        gst_object_unref(child);
    }
    gst_clear_object(&self->device);
    self->built = FALSE;
}

/*   videotestsrc is-live=true ! capsfilter(raw modes) [! jpegenc ! capsfilter(device caps)]
 * The capsfilters carry the whole mode list, so the bin negotiates whichever
 * advertised mode the application asks for, and the live videotestsrc then
 * produces frames at that mode's frame rate. */
static gboolean fp_vcam_src_build(FpVcamSrc *self, const FpVcamConfig *cfg, GstDevice *device)
{
    GstBin *bin = GST_BIN(self);
    GstElement *src, *rawfilter, *last;
    GstCaps *raw;
    GstPad *target;

    fp_vcam_src_clear(self);

    src = fp_make(bin, "videotestsrc", "source");
    rawfilter = fp_make(bin, "capsfilter", "rawfilter");
    if (src == NULL || rawfilter == NULL)
        goto fail;

    /* videotestsrc's "ball" draws the ball on a plain background each frame,
   * so between frames only the ball's old and new position change. */
    g_object_set(src, "is-live", TRUE, NULL);
    gst_util_set_object_arg(G_OBJECT(src), "pattern", cfg->pattern);
    if (cfg->stop_after > 0 && cfg->stop_mode == FP_STOP_EOS)
        g_object_set(src, "num-buffers", (gint)cfg->stop_after, NULL);

    /* For MJPG the source offers the same sizes and rates uncompressed and
   * jpegenc keeps both. I420 makes 4:2:0 JPEGs like typical webcams (left
   * free, jpegenc would pick 4:4:4). */
    raw = gst_caps_copy(cfg->caps);
    if (cfg->is_jpeg) {
        for (guint i = 0; i < gst_caps_get_size(raw); i++) {
            GstStructure *st = gst_caps_get_structure(raw, i);
            gst_structure_set_name(st, "video/x-raw");
            gst_structure_set(st, "format", G_TYPE_STRING, "I420", NULL);
        }
    }
    g_object_set(rawfilter, "caps", raw, NULL);
    gst_caps_unref(raw);
    if (!gst_element_link(src, rawfilter))
        goto fail;
    last = rawfilter;

    if (cfg->is_jpeg) {
        GstElement *enc = fp_make(bin, "jpegenc", "encoder");
        GstElement *outfilter = fp_make(bin, "capsfilter", "outfilter");
        if (enc == NULL || outfilter == NULL)
            goto fail;
        g_object_set(outfilter, "caps", cfg->caps, NULL);
        if (!gst_element_link_many(rawfilter, enc, outfilter, NULL))
            goto fail;
        last = outfilter;
    }

    if (cfg->has_region) {
        FpRegion *region = g_new0(FpRegion, 1);
        GstPad *srcpad = gst_element_get_static_pad(src, "src");
        memcpy(region->region, cfg->region, sizeof region->region);
        gst_pad_add_probe(srcpad, GST_PAD_PROBE_TYPE_BUFFER, fp_region_probe, region, g_free);
        gst_object_unref(srcpad);
    }

    /* Every stream from a device is watched: the device can be unplugged. */
    if (device != NULL || (cfg->stop_after > 0 && cfg->stop_mode != FP_STOP_EOS)) {
        FpStopCounter *counter = g_new0(FpStopCounter, 1);
        GstPad *srcpad = gst_element_get_static_pad(src, "src");
        counter->src = src;
        counter->device = device ? gst_object_ref(device) : NULL;
        counter->index = cfg->index;
        counter->limited = cfg->stop_after > 0 && cfg->stop_mode != FP_STOP_EOS;
        counter->remaining = cfg->stop_after;
        counter->mode = cfg->stop_mode;
        gst_pad_add_probe(srcpad, GST_PAD_PROBE_TYPE_BUFFER, fp_stop_probe, counter, fp_stop_counter_free);
        gst_object_unref(srcpad);
    }

    target = gst_element_get_static_pad(last, "src");
    gst_ghost_pad_set_target(GST_GHOST_PAD(self->ghost), target);
    gst_object_unref(target);
    self->index = cfg->index;
    self->device = device ? gst_object_ref(device) : NULL;
    self->built = TRUE;
    return TRUE;

fail:
    fp_vcam_src_clear(self);
    return FALSE;
}

static GstStateChangeReturn fp_vcam_src_change_state(GstElement *element, GstStateChange transition)
{
    FpVcamSrc *self = FP_VCAM_SRC(element);

    /* Used from gst-launch (no device): read the configuration when the
   * element starts, after its properties have been set. */
    if (transition == GST_STATE_CHANGE_NULL_TO_READY && !self->built) {
        FpVcamConfig cfg;
        gboolean ok = fp_config_from_env(self->index, &cfg);
        if (ok) {
            ok = fp_vcam_src_build(self, &cfg, NULL);
            fp_config_clear(&cfg);
        }
        if (!ok) {
            GST_ELEMENT_ERROR(self, RESOURCE, SETTINGS,
                              ("Frostpane virtual camera %u is not configured correctly.", self->index),
                              ("see the FROSTPANE_VCAM%u_* variables", self->index));
            return GST_STATE_CHANGE_FAILURE;
        }
    }
    return GST_ELEMENT_CLASS(fp_vcam_src_parent_class)->change_state(element, transition);
}

static void fp_vcam_src_set_property(GObject *object, guint prop_id, const GValue *value, GParamSpec *param)
{
    FpVcamSrc *self = FP_VCAM_SRC(object);

    switch (prop_id) {
    case PROP_DEVICE_INDEX:
        if (GST_STATE(self) != GST_STATE_NULL) {
            GST_WARNING_OBJECT(self, "device-index can only change in NULL");
            break;
        }
        if (self->built && self->index == g_value_get_uint(value))
            break;
        fp_vcam_src_clear(self);
        self->index = g_value_get_uint(value);
        break;
    default:
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, prop_id, param);
    }
}

static void fp_vcam_src_get_property(GObject *object, guint prop_id, GValue *value, GParamSpec *param)
{
    FpVcamSrc *self = FP_VCAM_SRC(object);

    switch (prop_id) {
    case PROP_DEVICE_INDEX:
        g_value_set_uint(value, self->index);
        break;
    default:
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, prop_id, param);
    }
}

static void fp_vcam_src_dispose(GObject *object)
{
    FpVcamSrc *self = FP_VCAM_SRC(object);
    gst_clear_object(&self->device);
    G_OBJECT_CLASS(fp_vcam_src_parent_class)->dispose(object);
}

static void fp_vcam_src_class_init(FpVcamSrcClass *klass)
{
    GObjectClass *gobject_class = G_OBJECT_CLASS(klass);
    GstElementClass *element_class = GST_ELEMENT_CLASS(klass);

    gobject_class->set_property = fp_vcam_src_set_property;
    gobject_class->get_property = fp_vcam_src_get_property;
    gobject_class->dispose = fp_vcam_src_dispose;
    element_class->change_state = fp_vcam_src_change_state;

    g_object_class_install_property(
        gobject_class, PROP_DEVICE_INDEX,
        g_param_spec_uint("device-index", "Device index", "Which FROSTPANE_VCAM<i>_* variables configure this camera",
                          0, FP_VCAM_MAX_DEVICES - 1, 0, G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS));

    gst_element_class_add_static_pad_template(element_class, &fp_src_template);
    gst_element_class_set_static_metadata(element_class, "Frostpane virtual camera", "Source/Video",
                                          "Live test-pattern camera configured by FROSTPANE_VCAM<i>_* variables",
                                          "Frostpane developers");
}

static void fp_vcam_src_init(FpVcamSrc *self)
{
    GstPadTemplate *templ = gst_static_pad_template_get(&fp_src_template);
    self->ghost = gst_ghost_pad_new_no_target_from_template("src", templ);
    gst_object_unref(templ);
    gst_element_add_pad(GST_ELEMENT(self), self->ghost);
    /* A source element even while it has no children yet (gst-launch builds
   * it only when it starts); GstBin would set the flag only for children. */
    GST_OBJECT_FLAG_SET(self, GST_ELEMENT_FLAG_SOURCE);
}

/* ------------------------------------------------------------------------ */
/* Device                                                                   */
/* ------------------------------------------------------------------------ */

#define FP_TYPE_VCAM_DEVICE (fp_vcam_device_get_type())
G_DECLARE_FINAL_TYPE(FpVcamDevice, fp_vcam_device, FP, VCAM_DEVICE, GstDevice)

struct _FpVcamDevice
{
    GstDevice parent;
    FpVcamConfig cfg; /* snapshot taken when the device was probed */
    gint gone;        /* atomic: unplugged, its streams end */
    gint plugging;    /* fp_plugging[cfg.index] when it was made */
};

G_DEFINE_TYPE(FpVcamDevice, fp_vcam_device, GST_TYPE_DEVICE)

/* Per camera: how often it has been unplugged in this process (atomic). A
 * camera can be stood for by several device objects at once: a probe's and
 * a running monitor's (Qt lists both). When the camera is pulled out, every
 * object made before is stale, like a GstDevice naming a /dev/video node
 * that is gone: an element made through it cannot read. A camera that
 * returns gets new objects, which work. */
static gint fp_plugging[FP_VCAM_MAX_DEVICES];

static gboolean fp_vcam_device_is_gone(GstDevice *device)
{
    FpVcamDevice *self = FP_VCAM_DEVICE(device);
    return g_atomic_int_get(&self->gone) != 0 || g_atomic_int_get(&fp_plugging[self->cfg.index]) != self->plugging;
}

/* Unplugs the device: streams from it end with an error at their next frame,
 * and it leaves its provider's list (while a monitor runs, the provider is
 * its parent). Only the first call does anything: a LEAVE_AFTER timer and a
 * STOP_MODE=unplug stream may both try, and a second removal would post a
 * "device removed" message for a device that no longer has a provider. A
 * camera that returns is a new device object, like a replugged webcam. */
static void fp_vcam_device_unplug(GstDevice *device)
{
    GstObject *provider;

    if (!g_atomic_int_compare_and_exchange(&FP_VCAM_DEVICE(device)->gone, 0, 1))
        return;
    g_atomic_int_inc(&fp_plugging[FP_VCAM_DEVICE(device)->cfg.index]);
    provider = gst_object_get_parent(GST_OBJECT(device));
    if (provider != NULL) {
        gst_device_provider_device_remove(GST_DEVICE_PROVIDER(provider), device);
        gst_object_unref(provider);
    }
}

static GstElement *fp_vcam_device_create_element(GstDevice *device, const gchar *name)
{
    FpVcamDevice *self = FP_VCAM_DEVICE(device);
    FpVcamSrc *src = g_object_new(FP_TYPE_VCAM_SRC, "name", name, "device-index", self->cfg.index, NULL);

    if (!fp_vcam_src_build(src, &self->cfg, device)) {
        gst_object_unref(gst_object_ref_sink(src));
        return NULL;
    }
    return GST_ELEMENT(src);
}

static void fp_vcam_device_finalize(GObject *object)
{
    fp_config_clear(&FP_VCAM_DEVICE(object)->cfg);
    G_OBJECT_CLASS(fp_vcam_device_parent_class)->finalize(object);
}

static void fp_vcam_device_class_init(FpVcamDeviceClass *klass)
{
    G_OBJECT_CLASS(klass)->finalize = fp_vcam_device_finalize;
    GST_DEVICE_CLASS(klass)->create_element = fp_vcam_device_create_element;
}

static void fp_vcam_device_init(FpVcamDevice *self)
{
    (void)self;
}

static GstDevice *fp_vcam_device_new(const FpVcamConfig *cfg, gboolean is_default)
{
    gchar *path = g_strdup_printf("frostpane-vcam:%u", cfg->index);
    GstStructure *props;
    FpVcamDevice *self;

    /* "device.path" is the unique identifier GStreamer's camera providers
   * publish (Qt 6.4 numbers cameras itself, in probe order). The structure
   * is deliberately not named "v4l2deviceprovider": Qt checks that name
   * before it uses V4L2 ioctls on the path. Qt lists the camera carrying
   * "is-default" first and reports it as QMediaDevices::defaultVideoInput();
   * only that one device gets the field. */
    props = gst_structure_new("frostpane-vcam", "device.path", G_TYPE_STRING, path, "device.api", G_TYPE_STRING,
                              "frostpane-vcam", "frostpane.vcam.index", G_TYPE_UINT, cfg->index,
                              "frostpane.vcam.pattern", G_TYPE_STRING, cfg->pattern, NULL);
    if (cfg->stop_after > 0)
        gst_structure_set(props, "frostpane.vcam.stop-after", G_TYPE_UINT64, cfg->stop_after, NULL);
    if (is_default)
        gst_structure_set(props, "is-default", G_TYPE_BOOLEAN, TRUE, NULL);

    self = g_object_new(FP_TYPE_VCAM_DEVICE, "display-name", cfg->name, "device-class", "Video/Source", "caps",
                        cfg->caps, "properties", props, NULL);
    fp_config_copy(&self->cfg, cfg);
    self->plugging = g_atomic_int_get(&fp_plugging[cfg->index]);

    gst_structure_free(props);
    g_free(path);
    return GST_DEVICE(self);
}

/* ------------------------------------------------------------------------ */
/* Provider                                                                 */
/* ------------------------------------------------------------------------ */

/* One configured camera of a started provider and the device object that
 * stands for it on the provider's list now. */
typedef struct
{
    FpVcamConfig cfg;
    gboolean is_default;
    GstDevice *device; /* owned; NULL before it appears */
} FpVcamSlot;

/* A timed plug or unplug of one camera, in milliseconds after the start. */
typedef struct
{
    gint64 at_ms;
    guint slot;
    gboolean plug; /* FALSE: unplug */
    guint order;   /* ties keep the order they were planned in */
} FpVcamEvent;

#define FP_TYPE_VCAM_PROVIDER (fp_vcam_provider_get_type())
G_DECLARE_FINAL_TYPE(FpVcamProvider, fp_vcam_provider, FP, VCAM_PROVIDER, GstDeviceProvider)

struct _FpVcamProvider
{
    GstDeviceProvider parent;

    /* Valid between start() and stop(). Only the timeline thread touches the
   * slots while it runs; stop() joins it before clearing them. */
    GArray *slots;     /* FpVcamSlot */
    GArray *events;    /* FpVcamEvent, by time */
    gint64 started_at; /* g_get_monotonic_time () at start() */
    GThread *timeline;

    GMutex lock; /* guards stopping */
    GCond wake;
    gboolean stopping;
};

G_DEFINE_TYPE(FpVcamProvider, fp_vcam_provider, GST_TYPE_DEVICE_PROVIDER)

static void fp_vcam_slot_clear(gpointer data)
{
    FpVcamSlot *slot = data;
    fp_config_clear(&slot->cfg);
    gst_clear_object(&slot->device);
}

/* Reads FROSTPANE_VCAM_DEVICES, FROSTPANE_VCAM_DEFAULT and every camera's
 * variables. Cameras with invalid settings are left out (with a message). */
static GArray *fp_read_cameras(void)
{
    const gchar *value = g_getenv("FROSTPANE_VCAM_DEVICES");
    gint64 count = 1, default_index = 0;
    GArray *slots = g_array_new(FALSE, TRUE, sizeof(FpVcamSlot));
    gint64 i;

    g_array_set_clear_func(slots, fp_vcam_slot_clear);
    if (value != NULL && *value != '\0' && !fp_parse_int(value, 0, FP_VCAM_MAX_DEVICES, &count)) {
        fp_complain("FROSTPANE_VCAM_DEVICES", value, "expected a number from 0 to 16; providing no device");
        return slots;
    }
    value = g_getenv("FROSTPANE_VCAM_DEFAULT");
    if (value != NULL && *value != '\0' && !fp_parse_int(value, -1, FP_VCAM_MAX_DEVICES - 1, &default_index)) {
        fp_complain("FROSTPANE_VCAM_DEFAULT", value, "expected a device index or -1; flagging device 0");
        default_index = 0;
    }

    for (i = 0; i < count; i++) {
        FpVcamSlot slot = {0};
        if (fp_config_from_env((guint)i, &slot.cfg)) {
            slot.is_default = i == default_index;
            g_array_append_val(slots, slot);
        }
    }
    return slots;
}

/* Probing (gst_device_provider_get_devices() on a provider no monitor has
 * started) lists the cameras as they are at the start: without the ones that
 * only appear later. Reads the environment on every probe, so a changed
 * variable is honoured by the next probe (the plugin registry caches only the
 * fact that this provider exists). */
static GList *fp_vcam_provider_probe(GstDeviceProvider *provider)
{
    GArray *slots = fp_read_cameras();
    GList *devices = NULL;

    for (guint i = 0; i < slots->len; i++) {
        const FpVcamSlot *slot = &g_array_index(slots, FpVcamSlot, i);
        if (slot->cfg.appear_after < 0)
            devices = g_list_append(devices, fp_vcam_device_new(&slot->cfg, slot->is_default));
    }
    g_array_unref(slots);
    GST_DEBUG_OBJECT(provider, "providing %u devices", g_list_length(devices));
    return devices;
}

static gint fp_vcam_event_compare(gconstpointer a, gconstpointer b)
{
    const FpVcamEvent *ea = a, *eb = b;
    if (ea->at_ms != eb->at_ms)
        return ea->at_ms < eb->at_ms ? -1 : 1;
    return ea->order < eb->order ? -1 : ea->order > eb->order;
}

static void fp_vcam_provider_plan(FpVcamProvider *self, gint64 at_ms, guint slot, gboolean plug)
{
    FpVcamEvent ev = {at_ms, slot, plug, self->events->len};
    g_array_append_val(self->events, ev);
}

/* Puts a new device object for the slot's camera on the provider's list,
 * which posts GST_MESSAGE_DEVICE_ADDED for the monitors. */
static void fp_vcam_provider_plug(FpVcamProvider *self, FpVcamSlot *slot)
{
    GstDevice *device = fp_vcam_device_new(&slot->cfg, slot->is_default);

    GST_INFO_OBJECT(self, "plugging in camera %u", slot->cfg.index);
    gst_clear_object(&slot->device);
    slot->device = gst_object_ref(device);
    /* sinks the floating reference: the provider owns that one */
    gst_device_provider_device_add(GST_DEVICE_PROVIDER(self), device);
}

static gpointer fp_vcam_provider_run_timeline(gpointer data)
{
    FpVcamProvider *self = data;
    guint next = 0;

    g_mutex_lock(&self->lock);
    while (next < self->events->len && !self->stopping) {
        const FpVcamEvent *ev = &g_array_index(self->events, FpVcamEvent, next);
        const gint64 due = self->started_at + ev->at_ms * G_TIME_SPAN_MILLISECOND;
        FpVcamSlot *slot;

        if (g_get_monotonic_time() < due) {
            /* woken early by stop(), or spuriously: look again */
            g_cond_wait_until(&self->wake, &self->lock, due);
            continue;
        }
        /* Not under the lock: adding and removing post bus messages, and the
     * monitors' handlers run right here. */
        g_mutex_unlock(&self->lock);
        slot = &g_array_index(self->slots, FpVcamSlot, ev->slot);
        if (ev->plug) {
            fp_vcam_provider_plug(self, slot);
        } else if (slot->device != NULL) {
            GST_INFO_OBJECT(self, "unplugging camera %u", slot->cfg.index);
            fp_vcam_device_unplug(slot->device);
        }
        next++;
        g_mutex_lock(&self->lock);
    }
    g_mutex_unlock(&self->lock);
    return NULL;
}

/* A running GstDeviceMonitor starts its providers with
 * gst_device_provider_start(), which calls this instead of probing when it
 * exists. The cameras present from the start are added right away; the
 * timeline thread plugs and unplugs the others at their time. The devices
 * and their configuration stay until the last monitor using the provider
 * stops it, so the variables are read once per start. */
static gboolean fp_vcam_provider_start(GstDeviceProvider *provider)
{
    FpVcamProvider *self = FP_VCAM_PROVIDER(provider);

    self->slots = fp_read_cameras();
    self->events = g_array_new(FALSE, FALSE, sizeof(FpVcamEvent));
    self->started_at = g_get_monotonic_time();

    for (guint i = 0; i < self->slots->len; i++) {
        FpVcamSlot *slot = &g_array_index(self->slots, FpVcamSlot, i);
        if (slot->cfg.appear_after < 0)
            fp_vcam_provider_plug(self, slot);
        else
            fp_vcam_provider_plan(self, slot->cfg.appear_after, i, TRUE);
        if (slot->cfg.leave_after >= 0)
            fp_vcam_provider_plan(self, slot->cfg.leave_after, i, FALSE);
        if (slot->cfg.return_after >= 0)
            fp_vcam_provider_plan(self, slot->cfg.return_after, i, TRUE);
    }
    g_array_sort(self->events, fp_vcam_event_compare);

    GST_DEBUG_OBJECT(self, "started with %u cameras, %u timed plug events", self->slots->len, self->events->len);
    if (self->events->len > 0) {
        self->stopping = FALSE;
        self->timeline = g_thread_new("frostpanevcam", fp_vcam_provider_run_timeline, self);
    }
    return TRUE;
}

/* GstDeviceProvider drops the devices on its list after this returns. */
static void fp_vcam_provider_stop(GstDeviceProvider *provider)
{
    FpVcamProvider *self = FP_VCAM_PROVIDER(provider);

    if (self->timeline != NULL) {
        g_mutex_lock(&self->lock);
        self->stopping = TRUE;
        g_cond_signal(&self->wake);
        g_mutex_unlock(&self->lock);
        g_thread_join(self->timeline);
        self->timeline = NULL;
    }
    g_clear_pointer(&self->events, g_array_unref);
    g_clear_pointer(&self->slots, g_array_unref);
}

static void fp_vcam_provider_finalize(GObject *object)
{
    FpVcamProvider *self = FP_VCAM_PROVIDER(object);
    g_mutex_clear(&self->lock);
    g_cond_clear(&self->wake);
    G_OBJECT_CLASS(fp_vcam_provider_parent_class)->finalize(object);
}

static void fp_vcam_provider_class_init(FpVcamProviderClass *klass)
{
    GstDeviceProviderClass *dp_class = GST_DEVICE_PROVIDER_CLASS(klass);

    G_OBJECT_CLASS(klass)->finalize = fp_vcam_provider_finalize;
    dp_class->probe = fp_vcam_provider_probe;
    dp_class->start = fp_vcam_provider_start;
    dp_class->stop = fp_vcam_provider_stop;
    gst_device_provider_class_set_static_metadata(dp_class, "Frostpane virtual camera provider", "Video/Source",
                                                  "Lists configurable test-pattern cameras for Frostpane's tests",
                                                  "Frostpane developers");
}

static void fp_vcam_provider_init(FpVcamProvider *self)
{
    g_mutex_init(&self->lock);
    g_cond_init(&self->wake);
}

/* ------------------------------------------------------------------------ */

static gboolean plugin_init(GstPlugin *plugin)
{
    GST_DEBUG_CATEGORY_INIT(frostpane_vcam_debug, "frostpanevcam", 0, "Frostpane virtual camera");
    /* PRIMARY so monitors probe it like the real camera providers. */
    return gst_device_provider_register(plugin, "frostpanevcamprovider", GST_RANK_PRIMARY, FP_TYPE_VCAM_PROVIDER)
           && gst_element_register(plugin, "frostpanevcamsrc", GST_RANK_NONE, FP_TYPE_VCAM_SRC);
}

GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, frostpanevcam, "Virtual webcams for Frostpane's tests",
                  plugin_init, VERSION, "GPL", PACKAGE, "Frostpane")
