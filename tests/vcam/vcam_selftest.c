/* Self-test of the Frostpane virtual camera plugin.
 *
 * Goes through the same path as Qt Multimedia: a GstDeviceMonitor lists the
 * "Video/Source" devices, gst_device_create_element() makes the source, and a
 * capsfilter asks for one advertised mode. Frames are pulled from an appsink
 * and checked for count, rate, format, size and how much changes between
 * consecutive frames. Timed hot-plugging is watched on the monitor's bus, the
 * way Qt learns about cameras that come and go.
 *
 * Needs GST_PLUGIN_PATH pointing at the folder holding the plugin (CTest sets
 * it, together with a private GST_REGISTRY). Prints one line per check and
 * "N passed, N failed" at the end; exits non-zero on any failure.
 */

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int passed, failed;

static void check(gboolean ok, const char *what, const char *fmt, ...) G_GNUC_PRINTF(3, 4);

static void check(gboolean ok, const char *what, const char *fmt, ...)
{
    va_list args;
    printf("%s: %s", ok ? "ok  " : "FAIL", what);
    if (fmt != NULL) {
        printf(" (");
        va_start(args, fmt);
        vprintf(fmt, args);
        va_end(args);
        printf(")");
    }
    printf("\n");
    fflush(stdout);
    if (ok)
        passed++;
    else
        failed++;
}

/* Every variable the plugin reads for devices 0 and 1, so each case starts
 * from defaults whatever the caller's environment holds. */
static void reset_env(void)
{
    static const char *const keys[] = {"NAME",      "CAPS",         "PATTERN",     "STOP_AFTER",
                                       "STOP_MODE", "APPEAR_AFTER", "LEAVE_AFTER", "RETURN_AFTER"};
    g_unsetenv("FROSTPANE_VCAM_DEVICES");
    g_unsetenv("FROSTPANE_VCAM_DEFAULT");
    for (int i = 0; i < 2; i++) {
        for (size_t k = 0; k < G_N_ELEMENTS(keys); k++) {
            gchar *var = g_strdup_printf("FROSTPANE_VCAM%d_%s", i, keys[k]);
            g_unsetenv(var);
            g_free(var);
        }
    }
}

/* Applies "NAME=VALUE" pairs; a NULL entry ends the list. */
static void apply_env(const char *const *assignments)
{
    reset_env();
    for (; assignments != NULL && *assignments != NULL; assignments++) {
        const char *eq = strchr(*assignments, '=');
        gchar *name = g_strndup(*assignments, (gsize)(eq - *assignments));
        g_setenv(name, eq + 1, TRUE);
        g_free(name);
    }
}

static gboolean is_virtual_camera(GstDevice *device)
{
    GstStructure *props = gst_device_get_properties(device);
    gboolean ours = props != NULL && gst_structure_has_name(props, "frostpane-vcam");
    if (props != NULL)
        gst_structure_free(props);
    return ours;
}

/* Our devices from a started monitor, ordered by index. Other providers'
 * devices (real cameras on a developer machine) are left out. */
static GList *list_virtual_cameras(GstDeviceMonitor *monitor)
{
    GList *all = gst_device_monitor_get_devices(monitor), *ours = NULL;

    for (GList *l = all; l != NULL; l = l->next) {
        if (is_virtual_camera(l->data))
            ours = g_list_append(ours, gst_object_ref(l->data));
    }
    g_list_free_full(all, gst_object_unref);
    return ours;
}

static GstDeviceMonitor *start_monitor(void)
{
    GstDeviceMonitor *monitor = gst_device_monitor_new();
    gst_device_monitor_add_filter(monitor, "Video/Source", NULL);
    if (!gst_device_monitor_start(monitor)) {
        gst_object_unref(monitor);
        return NULL;
    }
    return monitor;
}

static gchar *device_path(GstDevice *device)
{
    GstStructure *props = gst_device_get_properties(device);
    gchar *path = g_strdup(gst_structure_get_string(props, "device.path"));
    gst_structure_free(props);
    return path;
}

/* ------------------------------------------------------------------------ */
/* Listing                                                                  */
/* ------------------------------------------------------------------------ */

typedef struct
{
    const char *label;
    const char *env[6];
    int count;
    /* expectations for the first two devices; NULL = not checked */
    const char *name[2];
    const char *caps[2];
    int default_index;  /* -1 = no device flagged */
    gboolean unstarted; /* list by probing: monitor not started */
} ListCase;

#define DEFAULT_CAPS                                                                                                   \
    "video/x-raw, format=(string)YUY2, width=(int)640, height=(int)480, framerate=(fraction)30/1; "                    \
    "video/x-raw, format=(string)YUY2, width=(int)640, height=(int)480, framerate=(fraction)15/1; "                    \
    "video/x-raw, format=(string)YUY2, width=(int)1280, height=(int)720, framerate=(fraction)30/1"

static const ListCase list_cases[] = {
    {"defaults", {NULL}, 1, {"Frostpane Virtual Camera 0", NULL}, {DEFAULT_CAPS, NULL}, 0, FALSE},
    {"no device", {"FROSTPANE_VCAM_DEVICES=0", NULL}, 0, {NULL}, {NULL}, -1, FALSE},
    {"two devices, MJPG second, order kept",
     {"FROSTPANE_VCAM_DEVICES=2", "FROSTPANE_VCAM1_NAME=Back camera",
      "FROSTPANE_VCAM1_CAPS=MJPG:320x240@15, MJPG:640x480@30", NULL},
     2,
     {"Frostpane Virtual Camera 0", "Back camera"},
     {DEFAULT_CAPS, "image/jpeg, width=(int)320, height=(int)240, framerate=(fraction)15/1; "
                    "image/jpeg, width=(int)640, height=(int)480, framerate=(fraction)30/1"},
     0,
     FALSE},
    {"raw formats and fractional rate",
     {"FROSTPANE_VCAM0_CAPS=NV12:320x240@30000/1001,I420:160x120@5,BGRx:64x48@60", NULL},
     1,
     {NULL},
     {"video/x-raw, format=(string)NV12, width=(int)320, height=(int)240, framerate=(fraction)30000/1001; "
      "video/x-raw, format=(string)I420, width=(int)160, height=(int)120, framerate=(fraction)5/1; "
      "video/x-raw, format=(string)BGRx, width=(int)64, height=(int)48, framerate=(fraction)60/1"},
     0,
     FALSE},
    {"second device flagged default",
     {"FROSTPANE_VCAM_DEVICES=2", "FROSTPANE_VCAM_DEFAULT=1", NULL},
     2,
     {NULL},
     {NULL},
     1,
     FALSE},
    {"no device flagged default",
     {"FROSTPANE_VCAM_DEVICES=2", "FROSTPANE_VCAM_DEFAULT=-1", NULL},
     2,
     {NULL},
     {NULL},
     -1,
     FALSE},
    /* Invalid settings drop the device (with a message on stderr) instead of
   * quietly streaming something else. */
    {"mixed MJPG and raw modes rejected",
     {"FROSTPANE_VCAM_DEVICES=2", "FROSTPANE_VCAM1_CAPS=YUY2:640x480@30,MJPG:640x480@30", NULL},
     1,
     {"Frostpane Virtual Camera 0", NULL},
     {NULL},
     0,
     FALSE},
    {"unknown pattern rejected", {"FROSTPANE_VCAM0_PATTERN=sparkles", NULL}, 0, {NULL}, {NULL}, -1, FALSE},
    {"malformed mode rejected", {"FROSTPANE_VCAM0_CAPS=YUY2:640*480@30", NULL}, 0, {NULL}, {NULL}, -1, FALSE},
    {"bad device count rejected", {"FROSTPANE_VCAM_DEVICES=two", NULL}, 0, {NULL}, {NULL}, -1, FALSE},
    /* Timed plugging: a camera that appears later is not in the first list,
   * one that leaves later is; started or merely probed. */
    {"camera appearing later not listed at start",
     {"FROSTPANE_VCAM_DEVICES=2", "FROSTPANE_VCAM0_APPEAR_AFTER=60000", "FROSTPANE_VCAM1_LEAVE_AFTER=60000", NULL},
     1,
     {"Frostpane Virtual Camera 1", NULL},
     {DEFAULT_CAPS, NULL},
     -1,
     FALSE},
    {"camera appearing later not probed",
     {"FROSTPANE_VCAM_DEVICES=2", "FROSTPANE_VCAM0_APPEAR_AFTER=60000", "FROSTPANE_VCAM1_LEAVE_AFTER=60000", NULL},
     1,
     {"Frostpane Virtual Camera 1", NULL},
     {NULL},
     -1,
     TRUE},
    {"GRAY8 and GRAY16_LE modes",
     {"FROSTPANE_VCAM0_CAPS=GRAY8:640x480@30,GRAY16_LE:1280x720@15", NULL},
     1,
     {NULL},
     {"video/x-raw, format=(string)GRAY8, width=(int)640, height=(int)480, framerate=(fraction)30/1; "
      "video/x-raw, format=(string)GRAY16_LE, width=(int)1280, height=(int)720, framerate=(fraction)15/1"},
     0,
     FALSE},
    {"negative APPEAR_AFTER rejected",
     {"FROSTPANE_VCAM_DEVICES=2", "FROSTPANE_VCAM1_APPEAR_AFTER=-5", NULL},
     1,
     {"Frostpane Virtual Camera 0", NULL},
     {NULL},
     0,
     FALSE},
    {"non-numeric LEAVE_AFTER rejected", {"FROSTPANE_VCAM0_LEAVE_AFTER=soon", NULL}, 0, {NULL}, {NULL}, -1, FALSE},
    {"LEAVE_AFTER not after APPEAR_AFTER rejected",
     {"FROSTPANE_VCAM0_APPEAR_AFTER=500", "FROSTPANE_VCAM0_LEAVE_AFTER=500", NULL},
     0,
     {NULL},
     {NULL},
     -1,
     FALSE},
    {"RETURN_AFTER without LEAVE_AFTER rejected",
     {"FROSTPANE_VCAM0_RETURN_AFTER=500", NULL},
     0,
     {NULL},
     {NULL},
     -1,
     FALSE},
    {"RETURN_AFTER before LEAVE_AFTER rejected",
     {"FROSTPANE_VCAM0_LEAVE_AFTER=500", "FROSTPANE_VCAM0_RETURN_AFTER=400", NULL},
     0,
     {NULL},
     {NULL},
     -1,
     FALSE},
};

static void run_list_case(const ListCase *c)
{
    GstDeviceMonitor *monitor;
    GList *devices;
    int n, i;
    gchar *what;

    apply_env(c->env);
    if (c->unstarted) {
        monitor = gst_device_monitor_new();
        gst_device_monitor_add_filter(monitor, "Video/Source", NULL);
    } else {
        monitor = start_monitor();
    }
    if (monitor == NULL) {
        check(FALSE, c->label, "device monitor did not start");
        return;
    }
    devices = list_virtual_cameras(monitor);
    n = (int)g_list_length(devices);

    what = g_strdup_printf("%s: device count", c->label);
    check(n == c->count, what, "want %d, got %d", c->count, n);
    g_free(what);

    for (i = 0; i < n && i < 2; i++) {
        GstDevice *d = g_list_nth_data(devices, (guint)i);
        GstStructure *props = gst_device_get_properties(d);
        gchar *cls = gst_device_get_device_class(d);
        gchar *name = gst_device_get_display_name(d);
        gboolean is_default = FALSE;

        what = g_strdup_printf("%s: device %d class", c->label, i);
        check(g_strcmp0(cls, "Video/Source") == 0, what, "%s", cls);
        g_free(what);

        if (c->name[i] != NULL) {
            what = g_strdup_printf("%s: device %d name", c->label, i);
            check(g_strcmp0(name, c->name[i]) == 0, what, "got \"%s\"", name);
            g_free(what);
        }
        if (c->caps[i] != NULL) {
            GstCaps *caps = gst_device_get_caps(d);
            gchar *got = gst_caps_to_string(caps);
            what = g_strdup_printf("%s: device %d caps in order", c->label, i);
            check(g_strcmp0(got, c->caps[i]) == 0, what, "got %s", got);
            g_free(what);
            g_free(got);
            gst_caps_unref(caps);
        }
        gst_structure_get_boolean(props, "is-default", &is_default);
        what = g_strdup_printf("%s: device %d default flag", c->label, i);
        check(is_default == (c->default_index == i) && (is_default || !gst_structure_has_field(props, "is-default")),
              what, "is-default %s", is_default ? "set" : "absent");
        g_free(what);
        g_free(name);
        g_free(cls);
        gst_structure_free(props);
    }

    /* Qt looks cameras up by device.path: it must be unique. */
    if (n == 2) {
        gchar *p0 = device_path(devices->data);
        gchar *p1 = device_path(devices->next->data);
        what = g_strdup_printf("%s: device paths unique", c->label);
        check(p0 != NULL && p1 != NULL && strcmp(p0, p1) != 0, what, "%s / %s", p0, p1);
        g_free(what);
        g_free(p0);
        g_free(p1);
    }

    g_list_free_full(devices, gst_object_unref);
    gst_device_monitor_stop(monitor);
    gst_object_unref(monitor);
}

/* ------------------------------------------------------------------------ */
/* Streaming                                                                */
/* ------------------------------------------------------------------------ */

typedef enum {
    MOTION_ANY,
    MOTION_NONE,  /* consecutive frames identical */
    MOTION_SMALL, /* some pixels change, all in a small box */
    MOTION_MOST   /* nearly every pixel changes */
} Motion;

typedef enum {
    END_RUNNING, /* still delivering when we stop looking */
    END_EOS,
    END_SILENT, /* no more frames, no EOS, no error */
    END_ERROR,
    END_UNPLUG /* error, and the device leaves the monitor */
} End;

typedef struct
{
    const char *label;
    const char *env[5];
    const char *request;   /* what the application asks for, Qt-style */
    int frames;            /* frames to pull (running) or the STOP_AFTER */
    const char *want_caps; /* the sample's caps must be a subset */
    double want_fps;       /* 0 = not measured */
    Motion motion;
    End end;
    int gray_bytes; /* GRAYn: bytes per pixel, to check buffer sizes */
} StreamCase;

static const StreamCase stream_cases[] = {
    /* Qt asks for a size (and format) only; the first advertised mode of that
   * size wins, and its rate must be delivered live. */
    {"ball 640x480 picks 30 fps",
     {NULL},
     "video/x-raw,format=YUY2,width=640,height=480",
     20,
     "video/x-raw,format=YUY2,width=640,height=480,framerate=30/1",
     30,
     MOTION_SMALL,
     END_RUNNING,
     0},
    {"explicit 15 fps mode",
     {NULL},
     "video/x-raw,width=640,height=480,framerate=15/1",
     8,
     "video/x-raw,format=YUY2,width=640,height=480,framerate=15/1",
     15,
     MOTION_ANY,
     END_RUNNING,
     0},
    {"1280x720",
     {NULL},
     "video/x-raw,width=1280,height=720",
     6,
     "video/x-raw,format=YUY2,width=1280,height=720,framerate=30/1",
     0,
     MOTION_SMALL,
     END_RUNNING,
     0},
    {"snow changes nearly every pixel",
     {"FROSTPANE_VCAM0_PATTERN=snow", NULL},
     "video/x-raw,width=640,height=480",
     6,
     "video/x-raw,format=YUY2",
     0,
     MOTION_MOST,
     END_RUNNING,
     0},
    {"black never changes",
     {"FROSTPANE_VCAM0_PATTERN=black", NULL},
     "video/x-raw,width=640,height=480",
     6,
     "video/x-raw,format=YUY2",
     0,
     MOTION_NONE,
     END_RUNNING,
     0},
    /* any videotestsrc pattern works; "smpte" itself has a noise block */
    {"smpte100 bars are static",
     {"FROSTPANE_VCAM0_PATTERN=smpte100", NULL},
     "video/x-raw,width=640,height=480",
     6,
     "video/x-raw,format=YUY2",
     0,
     MOTION_NONE,
     END_RUNNING,
     0},
    {"NV12 mode",
     {"FROSTPANE_VCAM0_CAPS=NV12:320x240@60", NULL},
     "video/x-raw,format=NV12",
     6,
     "video/x-raw,format=NV12,width=320,height=240,framerate=60/1",
     0,
     MOTION_SMALL,
     END_RUNNING,
     0},
    {"BGRx mode",
     {"FROSTPANE_VCAM0_CAPS=BGRx:320x240@60", NULL},
     "video/x-raw,format=BGRx",
     6,
     "video/x-raw,format=BGRx,width=320,height=240,framerate=60/1",
     0,
     MOTION_SMALL,
     END_RUNNING,
     0},
    /* Monochrome cameras: one plane, rows padded to 4 bytes as GStreamer lays
   * out raw video (318 and 317 pixel rows are padded). */
    {"GRAY8 640x480",
     {"FROSTPANE_VCAM0_CAPS=GRAY8:640x480@30", NULL},
     "video/x-raw,format=GRAY8",
     6,
     "video/x-raw,format=GRAY8,width=640,height=480,framerate=30/1",
     0,
     MOTION_SMALL,
     END_RUNNING,
     1},
    {"GRAY8 odd row length",
     {"FROSTPANE_VCAM0_CAPS=YUY2:640x480@30,GRAY8:318x240@30", NULL},
     "video/x-raw,format=GRAY8",
     4,
     "video/x-raw,format=GRAY8,width=318,height=240,framerate=30/1",
     0,
     MOTION_ANY,
     END_RUNNING,
     1},
    {"GRAY16_LE 640x480",
     {"FROSTPANE_VCAM0_CAPS=GRAY16_LE:640x480@30", NULL},
     "video/x-raw,format=GRAY16_LE",
     6,
     "video/x-raw,format=GRAY16_LE,width=640,height=480,framerate=30/1",
     0,
     MOTION_SMALL,
     END_RUNNING,
     2},
    {"GRAY16_LE odd row length",
     {"FROSTPANE_VCAM0_CAPS=GRAY16_LE:317x240@30", NULL},
     "video/x-raw,width=317",
     4,
     "video/x-raw,format=GRAY16_LE,width=317,height=240,framerate=30/1",
     0,
     MOTION_ANY,
     END_RUNNING,
     2},
    {"MJPG mode delivers JPEG",
     {"FROSTPANE_VCAM0_CAPS=MJPG:640x480@30,MJPG:320x240@30", NULL},
     "image/jpeg,width=320,height=240",
     6,
     "image/jpeg,width=320,height=240,framerate=30/1",
     30,
     MOTION_ANY,
     END_RUNNING,
     0},
    {"STOP_AFTER=10 ends the stream",
     {"FROSTPANE_VCAM0_STOP_AFTER=10", "FROSTPANE_VCAM0_CAPS=YUY2:160x120@60", NULL},
     "video/x-raw",
     10,
     "video/x-raw",
     0,
     MOTION_ANY,
     END_EOS,
     0},
    {"STOP_MODE=freeze goes silent",
     {"FROSTPANE_VCAM0_STOP_AFTER=10", "FROSTPANE_VCAM0_STOP_MODE=freeze", "FROSTPANE_VCAM0_CAPS=YUY2:160x120@60",
      NULL},
     "video/x-raw",
     10,
     "video/x-raw",
     0,
     MOTION_ANY,
     END_SILENT,
     0},
    {"STOP_MODE=error posts an error",
     {"FROSTPANE_VCAM0_STOP_AFTER=10", "FROSTPANE_VCAM0_STOP_MODE=error", "FROSTPANE_VCAM0_CAPS=YUY2:160x120@60", NULL},
     "video/x-raw",
     10,
     "video/x-raw",
     0,
     MOTION_ANY,
     END_ERROR,
     0},
    {"STOP_MODE=unplug removes the device",
     {"FROSTPANE_VCAM0_STOP_AFTER=10", "FROSTPANE_VCAM0_STOP_MODE=unplug", "FROSTPANE_VCAM0_CAPS=YUY2:160x120@60",
      NULL},
     "video/x-raw",
     10,
     "video/x-raw",
     0,
     MOTION_ANY,
     END_UNPLUG,
     0},
};

typedef struct
{
    double max_changed; /* largest fraction of changed pixels */
    double min_changed;
    int box_w, box_h; /* largest bounding box of the changes */
    int width, height;
} MotionStats;

/* Compares component 0 (luma, or red/blue for RGB) of every pixel. */
static void compare_frames(GstSample *a, GstSample *b, MotionStats *stats)
{
    GstVideoInfo info;
    GstVideoFrame fa, fb;
    long changed = 0;
    int x0 = G_MAXINT, y0 = G_MAXINT, x1 = -1, y1 = -1;

    if (!gst_video_info_from_caps(&info, gst_sample_get_caps(a)))
        return;
    if (!gst_video_frame_map(&fa, &info, gst_sample_get_buffer(a), GST_MAP_READ))
        return;
    if (!gst_video_frame_map(&fb, &info, gst_sample_get_buffer(b), GST_MAP_READ)) {
        gst_video_frame_unmap(&fa);
        return;
    }
    const int w = GST_VIDEO_INFO_WIDTH(&info), h = GST_VIDEO_INFO_HEIGHT(&info);
    const int stride = GST_VIDEO_FRAME_COMP_STRIDE(&fa, 0);
    const int pstride = GST_VIDEO_FRAME_COMP_PSTRIDE(&fa, 0);
    const guint8 *pa = GST_VIDEO_FRAME_COMP_DATA(&fa, 0);
    const guint8 *pb = GST_VIDEO_FRAME_COMP_DATA(&fb, 0);

    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            const int off = y * stride + x * pstride;
            if (pa[off] != pb[off]) {
                changed++;
                x0 = MIN(x0, x);
                x1 = MAX(x1, x);
                y0 = MIN(y0, y);
                y1 = MAX(y1, y);
            }
        }
    }
    gst_video_frame_unmap(&fa);
    gst_video_frame_unmap(&fb);

    const double frac = (double)changed / ((double)w * h);
    stats->max_changed = MAX(stats->max_changed, frac);
    stats->min_changed = MIN(stats->min_changed, frac);
    if (x1 >= 0) {
        stats->box_w = MAX(stats->box_w, x1 - x0 + 1);
        stats->box_h = MAX(stats->box_h, y1 - y0 + 1);
    }
    stats->width = w;
    stats->height = h;
}

/* Waits for an EOS/ERROR on the pipeline bus. */
static GstMessageType wait_bus(GstElement *pipeline, GstClockTime timeout)
{
    GstBus *bus = gst_element_get_bus(pipeline);
    GstMessage *msg = gst_bus_timed_pop_filtered(bus, timeout, GST_MESSAGE_EOS | GST_MESSAGE_ERROR);
    GstMessageType type = msg ? GST_MESSAGE_TYPE(msg) : GST_MESSAGE_UNKNOWN;
    if (msg != NULL)
        gst_message_unref(msg);
    gst_object_unref(bus);
    return type;
}

static gboolean monitor_saw_removal(GstDeviceMonitor *monitor, GstClockTime timeout)
{
    GstBus *bus = gst_device_monitor_get_bus(monitor);
    const gint64 deadline = g_get_monotonic_time() + timeout / GST_USECOND;
    gboolean ours = FALSE;

    /* Filtering by an extended message type also matches the other extended
   * types (the DEVICE_ADDED messages queued by the start), so skip those. */
    while (!ours) {
        const gint64 left = deadline - g_get_monotonic_time();
        GstMessage *msg;
        if (left <= 0)
            break;
        msg = gst_bus_timed_pop_filtered(bus, left * GST_USECOND, GST_MESSAGE_DEVICE_REMOVED);
        if (msg == NULL)
            break;
        if (GST_MESSAGE_TYPE(msg) == GST_MESSAGE_DEVICE_REMOVED) {
            GstDevice *device;
            gst_message_parse_device_removed(msg, &device);
            ours = is_virtual_camera(device);
            gst_object_unref(device);
        }
        gst_message_unref(msg);
    }
    gst_object_unref(bus);
    return ours;
}

static void run_stream_case(const StreamCase *c)
{
    GstDeviceMonitor *monitor;
    GList *devices;
    GstElement *pipeline, *source, *filter, *sink;
    GstCaps *request, *want;
    GstSample *prev = NULL;
    MotionStats stats = {0, 1.0, 0, 0, 0, 0};
    gint64 t_first = 0, t_last = 0;
    int got = 0;
    gboolean caps_ok = TRUE, jpeg_ok = TRUE;
    gsize size_seen = 0, size_want = 0;
    gboolean size_ok = TRUE;
    guint16 gray_max = 0;
    gchar *what, *caps_seen = NULL;

    apply_env(c->env);
    monitor = start_monitor();
    devices = monitor ? list_virtual_cameras(monitor) : NULL;
    if (devices == NULL) {
        check(FALSE, c->label, "no virtual camera listed");
        if (monitor)
            gst_object_unref(monitor);
        return;
    }

    source = gst_device_create_element(devices->data, "camerasrc");
    if (source == NULL) {
        /* the plugin printed which element is missing */
        check(FALSE, c->label, "the device could not create its element");
        g_list_free_full(devices, gst_object_unref);
        gst_device_monitor_stop(monitor);
        gst_object_unref(monitor);
        return;
    }
    pipeline = gst_pipeline_new(NULL);
    filter = gst_element_factory_make("capsfilter", NULL);
    sink = gst_element_factory_make("appsink", NULL);
    request = gst_caps_from_string(c->request);
    g_object_set(filter, "caps", request, NULL);
    gst_caps_unref(request);
    g_object_set(sink, "sync", TRUE, NULL);
    gst_bin_add_many(GST_BIN(pipeline), source, filter, sink, NULL);
    if (!gst_element_link_many(source, filter, sink, NULL)) {
        check(FALSE, c->label, "cannot link the camera to %s", c->request);
        goto out;
    }
    gst_element_set_state(pipeline, GST_STATE_PLAYING);

    want = gst_caps_from_string(c->want_caps);
    /* Pull the frames the case is about; for stop cases, also wait a while
   * to prove that nothing more arrives. */
    for (int i = 0; i < c->frames + (c->end == END_RUNNING ? 0 : 5); i++) {
        GstClockTime timeout = (got == 0 ? 3 : (c->end == END_RUNNING ? 1 : 0.4)) * GST_SECOND;
        GstSample *sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), timeout);
        if (sample == NULL)
            break;
        const gint64 now = g_get_monotonic_time();
        if (got == 0) {
            /* A camera is a live source: Qt's capture pipeline relies on that. */
            GstQuery *latency = gst_query_new_latency();
            GstPad *pad = gst_element_get_static_pad(source, "src");
            gboolean live = FALSE;
            /* ask the camera itself: a syncing sink would answer "live" anyway */
            if (gst_pad_query(pad, latency))
                gst_query_parse_latency(latency, &live, NULL, NULL);
            gst_object_unref(pad);
            gst_query_unref(latency);
            what = g_strdup_printf("%s: live source", c->label);
            check(live, what, NULL);
            g_free(what);
            t_first = now;
            caps_seen = gst_caps_to_string(gst_sample_get_caps(sample));
        }
        t_last = now;
        got++;
        if (!gst_caps_is_subset(gst_sample_get_caps(sample), want))
            caps_ok = FALSE;
        if (c->gray_bytes > 0) {
            GstStructure *st = gst_caps_get_structure(gst_sample_get_caps(sample), 0);
            GstBuffer *buf = gst_sample_get_buffer(sample);
            GstMapInfo map;
            int w = 0, h = 0;
            gst_structure_get_int(st, "width", &w);
            gst_structure_get_int(st, "height", &h);
            /* one plane, each row rounded up to a multiple of 4 bytes */
            size_want = (gsize)((w * c->gray_bytes + 3) / 4 * 4) * (gsize)h;
            size_seen = gst_buffer_get_size(buf);
            if (size_seen != size_want)
                size_ok = FALSE;
            /* brightest sample: a 16-bit camera must use the high byte too */
            if (gst_buffer_map(buf, &map, GST_MAP_READ)) {
                for (gsize k = 0; k + (gsize)c->gray_bytes <= map.size; k += (gsize)c->gray_bytes) {
                    guint16 v = c->gray_bytes == 2 ? GST_READ_UINT16_LE(map.data + k) : map.data[k];
                    gray_max = MAX(gray_max, v);
                }
                gst_buffer_unmap(buf, &map);
            }
        }
        if (gst_structure_has_name(gst_caps_get_structure(gst_sample_get_caps(sample), 0), "image/jpeg")) {
            GstMapInfo map;
            GstBuffer *buf = gst_sample_get_buffer(sample);
            if (gst_buffer_map(buf, &map, GST_MAP_READ)) {
                /* a complete JPEG: SOI marker first, EOI marker last */
                jpeg_ok = jpeg_ok && map.size > 4 && map.data[0] == 0xFF && map.data[1] == 0xD8
                          && map.data[map.size - 2] == 0xFF && map.data[map.size - 1] == 0xD9;
                gst_buffer_unmap(buf, &map);
            }
        } else if (prev != NULL) {
            compare_frames(prev, sample, &stats);
        }
        if (prev != NULL)
            gst_sample_unref(prev);
        prev = sample;
    }
    gst_caps_unref(want);

    what = g_strdup_printf("%s: frames", c->label);
    check(got == c->frames, what, "want %d, got %d", c->frames, got);
    g_free(what);

    what = g_strdup_printf("%s: caps", c->label);
    check(got > 0 && caps_ok && jpeg_ok, what, "want %s, got %s%s", c->want_caps, caps_seen ? caps_seen : "nothing",
          jpeg_ok ? "" : ", not a complete JPEG");
    g_free(what);

    if (c->gray_bytes > 0) {
        const guint16 bright = c->gray_bytes == 2 ? 0xC000 : 0xC0;
        what = g_strdup_printf("%s: buffer size and range", c->label);
        check(got > 0 && size_ok && gray_max >= bright, what,
              "want %" G_GSIZE_FORMAT " bytes, last %" G_GSIZE_FORMAT ", brightest sample %u", size_want, size_seen,
              gray_max);
        g_free(what);
    }

    if (c->want_fps > 0 && got > 2) {
        const double fps = (got - 1) * 1e6 / (double)(t_last - t_first);
        what = g_strdup_printf("%s: live rate", c->label);
        check(fps > c->want_fps * 0.85 && fps < c->want_fps * 1.15, what, "want %.0f fps, measured %.2f over %d frames",
              c->want_fps, fps, got);
        g_free(what);
    }

    if (c->motion != MOTION_ANY) {
        gboolean ok = FALSE;
        const int w = stats.width, h = stats.height;
        if (c->motion == MOTION_NONE)
            ok = stats.max_changed == 0.0;
        else if (c->motion == MOTION_MOST)
            ok = stats.min_changed > 0.9;
        else /* the ball: something moves, all of it small */
            ok = stats.min_changed > 0.0 && stats.max_changed < 0.05 && stats.box_w <= w / 4 && stats.box_h <= h / 4;
        what = g_strdup_printf("%s: change between frames", c->label);
        check(ok && got > 1, what, "changed pixels %.3f%%..%.3f%%, largest changed box %dx%d of %dx%d",
              stats.min_changed * 100, stats.max_changed * 100, stats.box_w, stats.box_h, w, h);
        g_free(what);
    }

    if (c->end != END_RUNNING) {
        GstMessageType type = wait_bus(pipeline, c->end == END_SILENT ? GST_SECOND / 5 : GST_SECOND);
        GstMessageType want_type = c->end == END_EOS      ? GST_MESSAGE_EOS
                                   : c->end == END_SILENT ? GST_MESSAGE_UNKNOWN
                                                          : GST_MESSAGE_ERROR;
        what = g_strdup_printf("%s: end of delivery", c->label);
        check(type == want_type, what, "bus says %s",
              type == GST_MESSAGE_UNKNOWN ? "nothing" : gst_message_type_get_name(type));
        g_free(what);
    }
    if (c->end == END_UNPLUG) {
        gboolean removed = monitor_saw_removal(monitor, GST_SECOND);
        GList *left = list_virtual_cameras(monitor);
        what = g_strdup_printf("%s: device removed from monitor", c->label);
        check(removed && left == NULL, what, "removal message %s, %u listed", removed ? "seen" : "missing",
              g_list_length(left));
        g_free(what);
        g_list_free_full(left, gst_object_unref);
    }

out:
    if (prev != NULL)
        gst_sample_unref(prev);
    g_free(caps_seen);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    g_list_free_full(devices, gst_object_unref);
    gst_device_monitor_stop(monitor);
    gst_object_unref(monitor);
}

/* ------------------------------------------------------------------------ */
/* Timed plugging                                                           */
/* ------------------------------------------------------------------------ */

/* A plug event must not come before its time; on a busy machine it may come
 * this much later. */
#define PLUG_SLACK_MS 500

static int camera_index(GstDevice *device)
{
    GstStructure *props = gst_device_get_properties(device);
    guint index = 0;
    gboolean ok = gst_structure_get_uint(props, "frostpane.vcam.index", &index);
    gst_structure_free(props);
    return ok ? (int)index : -1;
}

/* Indexes of the virtual cameras a monitor lists, in index order: "01". */
static gchar *listed_indexes(GstDeviceMonitor *monitor)
{
    GList *devices = list_virtual_cameras(monitor);
    GString *out = g_string_new(NULL);

    for (int i = 0; i < 16; i++) {
        for (GList *l = devices; l != NULL; l = l->next) {
            if (camera_index(l->data) == i)
                g_string_append_printf(out, "%x", i);
        }
    }
    g_list_free_full(devices, gst_object_unref);
    return g_string_free(out, FALSE);
}

/* Next device added/removed message about a virtual camera on the monitor's
 * bus, waiting until the monotonic deadline at most. Returns the device
 * (a reference) and the message type, or NULL. */
static GstDevice *next_plug_message(GstBus *bus, gint64 deadline, GstMessageType *type)
{
    for (;;) {
        const gint64 left = deadline - g_get_monotonic_time();
        GstMessage *msg;
        GstDevice *device = NULL;

        if (left <= 0)
            return NULL;
        msg = gst_bus_timed_pop_filtered(bus, left * GST_USECOND,
                                         GST_MESSAGE_DEVICE_ADDED | GST_MESSAGE_DEVICE_REMOVED);
        if (msg == NULL)
            return NULL;
        /* filtering by extended types lets other extended types through */
        if (GST_MESSAGE_TYPE(msg) == GST_MESSAGE_DEVICE_ADDED)
            gst_message_parse_device_added(msg, &device);
        else if (GST_MESSAGE_TYPE(msg) == GST_MESSAGE_DEVICE_REMOVED)
            gst_message_parse_device_removed(msg, &device);
        *type = GST_MESSAGE_TYPE(msg);
        gst_message_unref(msg);
        if (device != NULL && is_virtual_camera(device))
            return device;
        if (device != NULL)
            gst_object_unref(device);
    }
}

typedef struct
{
    char kind; /* '+' added, '-' removed, 0 ends the list */
    int index;
    int at_ms; /* after the monitor started */
} PlugEvent;

typedef struct
{
    const char *label;
    const char *env[6];
    const char *listed_at_start;
    PlugEvent events[6]; /* what the monitor's bus must report */
    int watch_ms;
    const char *listed_at_end;
} PlugCase;

static const PlugCase plug_cases[] = {
    /* the cameras present from the start are announced at once */
    {"camera 1 appears after 300 ms",
     {"FROSTPANE_VCAM_DEVICES=2", "FROSTPANE_VCAM1_APPEAR_AFTER=300", NULL},
     "0",
     {{'+', 0, 0}, {'+', 1, 300}},
     800,
     "01"},
    {"camera leaves after 250 ms for good",
     {"FROSTPANE_VCAM0_LEAVE_AFTER=250", NULL},
     "0",
     {{'+', 0, 0}, {'-', 0, 250}},
     700,
     ""},
    {"camera appears, leaves, returns",
     {"FROSTPANE_VCAM_DEVICES=2", "FROSTPANE_VCAM1_APPEAR_AFTER=200", "FROSTPANE_VCAM1_LEAVE_AFTER=500",
      "FROSTPANE_VCAM1_RETURN_AFTER=800", NULL},
     "0",
     {{'+', 0, 0}, {'+', 1, 200}, {'-', 1, 500}, {'+', 1, 800}},
     1300,
     "01"},
    {"one camera replaced by another",
     {"FROSTPANE_VCAM_DEVICES=2", "FROSTPANE_VCAM0_LEAVE_AFTER=300", "FROSTPANE_VCAM1_APPEAR_AFTER=450", NULL},
     "0",
     {{'+', 0, 0}, {'-', 0, 300}, {'+', 1, 450}},
     900,
     "1"},
};

static void run_plug_case(const PlugCase *c)
{
    GstDeviceMonitor *monitor;
    GstBus *bus;
    GstDevice *current[16] = {NULL};
    GString *seen = g_string_new(NULL);
    gboolean order_ok = TRUE, time_ok = TRUE, same_object = TRUE;
    gboolean new_object = TRUE;
    gint64 t0, deadline;
    gchar *listed, *what;
    int n = 0, want_n = 0;

    while (want_n < (int)G_N_ELEMENTS(c->events) && c->events[want_n].kind)
        want_n++;

    apply_env(c->env);
    t0 = g_get_monotonic_time();
    monitor = start_monitor();
    if (monitor == NULL) {
        check(FALSE, c->label, "device monitor did not start");
        g_string_free(seen, TRUE);
        return;
    }
    bus = gst_device_monitor_get_bus(monitor);

    listed = listed_indexes(monitor);
    what = g_strdup_printf("%s: listed at start", c->label);
    check(g_strcmp0(listed, c->listed_at_start) == 0, what,
          "want \"%s\", got "
          "\"%s\"",
          c->listed_at_start, listed);
    g_free(what);
    g_free(listed);

    deadline = t0 + (gint64)c->watch_ms * G_TIME_SPAN_MILLISECOND;
    for (;;) {
        GstMessageType type;
        GstDevice *device = next_plug_message(bus, deadline, &type);
        const int ms = (int)((g_get_monotonic_time() - t0) / 1000);
        int index;
        char kind;

        if (device == NULL)
            break;
        index = camera_index(device);
        kind = type == GST_MESSAGE_DEVICE_ADDED ? '+' : '-';
        g_string_append_printf(seen, "%s%c%d@%dms", n ? " " : "", kind, index, ms);
        if (n >= want_n || kind != c->events[n].kind || index != c->events[n].index)
            order_ok = FALSE;
        else if (ms < c->events[n].at_ms || ms > c->events[n].at_ms + PLUG_SLACK_MS)
            time_ok = FALSE;
        if (index >= 0 && index < 16) {
            /* Qt forgets a camera by the device object that was added: a removal
       * must name that object, and a return must be a new one (a webcam
       * plugged in again is a new device too). */
            if (kind == '-') {
                if (device != current[index])
                    same_object = FALSE;
                gst_clear_object(&current[index]);
            } else {
                if (current[index] != NULL)
                    new_object = FALSE;
                gst_object_replace((GstObject **)&current[index], GST_OBJECT(device));
            }
        }
        gst_object_unref(device);
        n++;
    }

    what = g_strdup_printf("%s: plug messages in order", c->label);
    check(order_ok && n == want_n, what, "%s", seen->len ? seen->str : "none");
    g_free(what);
    what = g_strdup_printf("%s: plug messages on time", c->label);
    check(order_ok && time_ok && n == want_n, what, "up to %d ms late allowed", PLUG_SLACK_MS);
    g_free(what);
    what = g_strdup_printf("%s: device objects", c->label);
    check(same_object && new_object, what, "%s%s",
          same_object ? "removals name the added object" : "a removal names another object",
          new_object ? "" : ", a camera was added twice without leaving");
    g_free(what);

    listed = listed_indexes(monitor);
    what = g_strdup_printf("%s: listed at the end", c->label);
    check(g_strcmp0(listed, c->listed_at_end) == 0, what,
          "want \"%s\", got "
          "\"%s\"",
          c->listed_at_end, listed);
    g_free(what);
    g_free(listed);

    for (int i = 0; i < 16; i++)
        gst_clear_object(&current[i]);
    g_string_free(seen, TRUE);
    gst_object_unref(bus);
    gst_device_monitor_stop(monitor);
    gst_object_unref(monitor);
}

/* camera ! appsink, playing */
static GstElement *play_camera(GstDevice *device, GstAppSink **sink)
{
    GstElement *pipeline = gst_pipeline_new(NULL);
    GstElement *source = gst_device_create_element(device, NULL);
    GstElement *appsink = gst_element_factory_make("appsink", NULL);

    if (source == NULL || appsink == NULL) {
        if (source != NULL)
            gst_object_unref(gst_object_ref_sink(source));
        if (appsink != NULL)
            gst_object_unref(gst_object_ref_sink(appsink));
        gst_object_unref(pipeline);
        return NULL;
    }
    g_object_set(appsink, "sync", TRUE, NULL);
    gst_bin_add_many(GST_BIN(pipeline), source, appsink, NULL);
    gst_element_link(source, appsink);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    *sink = GST_APP_SINK(appsink);
    return pipeline;
}

/* A stream made through a device object of a camera that has been pulled
 * out: it delivers no frame and posts v4l2src's read error. */
static void check_stale_device(GstDevice *device, const char *label)
{
    GstAppSink *sink;
    GstElement *pipeline = device ? play_camera(device, &sink) : NULL;
    GstSample *sample;
    GstMessage *msg;
    GError *error = NULL;
    gchar *what;

    if (pipeline == NULL) {
        check(device != NULL, label, "no element could be made at all");
        return;
    }
    sample = gst_app_sink_try_pull_sample(sink, GST_SECOND);
    what = g_strdup_printf("%s: no frame", label);
    check(sample == NULL, what, NULL);
    g_free(what);
    if (sample != NULL)
        gst_sample_unref(sample);
    {
        GstBus *bus = gst_element_get_bus(pipeline);
        msg = gst_bus_timed_pop_filtered(bus, GST_SECOND, GST_MESSAGE_ERROR);
        gst_object_unref(bus);
    }
    if (msg != NULL) {
        gst_message_parse_error(msg, &error, NULL);
        gst_message_unref(msg);
    }
    what = g_strdup_printf("%s: \"Could not read from resource.\"", label);
    check(error != NULL && error->domain == GST_RESOURCE_ERROR && error->code == GST_RESOURCE_ERROR_READ
              && g_strcmp0(error->message, "Could not read from resource.") == 0,
          what, "%s", error ? error->message : "no error");
    g_free(what);
    g_clear_error(&error);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
}

/* A stream from a camera that leaves ends as an unplugged webcam's does: an
 * error and no more frames; elements made afterwards through any device
 * object of it (the monitor's, or a probe's, which Qt also lists) cannot
 * read. The camera that returns streams again. */
static void run_leave_stream_case(void)
{
    static const char *const env[] = {"FROSTPANE_VCAM0_CAPS=YUY2:160x120@30", "FROSTPANE_VCAM0_LEAVE_AFTER=500",
                                      "FROSTPANE_VCAM0_RETURN_AFTER=900", NULL};
    const char *label = "stream from a camera that leaves";
    GstDeviceMonitor *monitor;
    GstBus *bus, *pipeline_bus;
    GList *devices;
    GstDevice *first, *device, *probed = NULL;
    GstDeviceMonitor *prober;
    GstElement *pipeline;
    GstAppSink *sink;
    GstMessage *error_msg;
    GstMessageType type;
    GError *error = NULL;
    gint64 t0, t_last = 0;
    int got = 0;
    gchar *what;

    apply_env(env);
    /* a probe's device object for the same camera, as Qt's first listing has */
    prober = gst_device_monitor_new();
    gst_device_monitor_add_filter(prober, "Video/Source", NULL);
    devices = list_virtual_cameras(prober);
    if (devices != NULL)
        probed = gst_object_ref(devices->data);
    g_list_free_full(devices, gst_object_unref);
    gst_object_unref(prober);
    t0 = g_get_monotonic_time();
    monitor = start_monitor();
    devices = monitor ? list_virtual_cameras(monitor) : NULL;
    if (devices == NULL) {
        check(FALSE, label, "no virtual camera listed");
        if (monitor != NULL) {
            gst_device_monitor_stop(monitor);
            gst_object_unref(monitor);
        }
        return;
    }
    first = gst_object_ref(devices->data);
    g_list_free_full(devices, gst_object_unref);
    bus = gst_device_monitor_get_bus(monitor);

    pipeline = play_camera(first, &sink);
    if (pipeline == NULL) {
        check(FALSE, label, "cannot stream from the camera");
        goto out;
    }
    /* until the frames stop, or long after they should have */
    while (t_last < 3 * G_TIME_SPAN_SECOND) {
        GstSample *sample = gst_app_sink_try_pull_sample(sink, (got == 0 ? 3 : 1) * GST_SECOND);
        if (sample == NULL)
            break;
        t_last = g_get_monotonic_time() - t0;
        got++;
        gst_sample_unref(sample);
    }
    pipeline_bus = gst_element_get_bus(pipeline);
    error_msg = gst_bus_pop_filtered(pipeline_bus, GST_MESSAGE_ERROR);
    gst_object_unref(pipeline_bus);
    if (error_msg != NULL) {
        gst_message_parse_error(error_msg, &error, NULL);
        gst_message_unref(error_msg);
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);

    what = g_strdup_printf("%s: frames until it leaves at 500 ms", label);
    check(got > 3 && t_last / 1000 >= 300 && t_last / 1000 <= 500 + PLUG_SLACK_MS, what,
          "%d frames, the last %d ms after the start", got, (int)(t_last / 1000));
    g_free(what);
    what = g_strdup_printf("%s: \"Could not read from resource.\"", label);
    check(error != NULL && error->domain == GST_RESOURCE_ERROR
              && g_strcmp0(error->message, "Could not read from resource.") == 0,
          what, "%s", error ? error->message : "no error");
    g_free(what);
    g_clear_error(&error);

    /* the first plug message is the camera's own at the start */
    device = next_plug_message(bus, t0 + 3 * G_TIME_SPAN_SECOND, &type);
    if (device != NULL && device == first && type == GST_MESSAGE_DEVICE_ADDED) {
        gst_object_unref(device);
        device = next_plug_message(bus, t0 + 3 * G_TIME_SPAN_SECOND, &type);
    }
    what = g_strdup_printf("%s: device removed", label);
    check(device == first && type == GST_MESSAGE_DEVICE_REMOVED, what, NULL);
    g_free(what);
    if (device != NULL)
        gst_object_unref(device);

    device = next_plug_message(bus, t0 + 3 * G_TIME_SPAN_SECOND, &type);
    what = g_strdup_printf("%s: returns as a new device", label);
    check(device != NULL && device != first && type == GST_MESSAGE_DEVICE_ADDED, what, NULL);
    g_free(what);
    if (device != NULL) {
        got = 0;
        pipeline = play_camera(device, &sink);
        for (int i = 0; pipeline != NULL && i < 3; i++) {
            GstSample *sample = gst_app_sink_try_pull_sample(sink, 3 * GST_SECOND);
            if (sample == NULL)
                break;
            got++;
            gst_sample_unref(sample);
        }
        what = g_strdup_printf("%s: the returned camera streams", label);
        check(got == 3, what, "want 3 frames, got %d", got);
        g_free(what);
        if (pipeline != NULL) {
            gst_element_set_state(pipeline, GST_STATE_NULL);
            gst_object_unref(pipeline);
        }
        gst_object_unref(device);
    }
    /* after the return too: the old device objects stay dead */
    what = g_strdup_printf("%s: stream made later through its device", label);
    check_stale_device(first, what);
    g_free(what);
    what = g_strdup_printf("%s: stream made later through a probe's device", label);
    check_stale_device(probed, what);
    g_free(what);

out:
    gst_object_unref(first);
    if (probed != NULL)
        gst_object_unref(probed);
    gst_object_unref(bus);
    gst_device_monitor_stop(monitor);
    gst_object_unref(monitor);
}

/* The element is also usable without a device, as gst-device-monitor-1.0's
 * launch line shows ("frostpanevcamsrc device-index=1"). */
static void run_launch_line_case(void)
{
    const char *env[] = {"FROSTPANE_VCAM_DEVICES=2", "FROSTPANE_VCAM1_CAPS=I420:96x64@60",
                         "FROSTPANE_VCAM1_STOP_AFTER=3", NULL};
    GError *error = NULL;
    GstElement *pipeline;
    GstMessageType type;

    apply_env(env);
    pipeline = gst_parse_launch("frostpanevcamsrc device-index=1 ! "
                                "video/x-raw,format=I420,width=96,height=64 ! fakesink",
                                &error);
    if (pipeline == NULL) {
        check(FALSE, "launch line frostpanevcamsrc device-index=1", "%s", error->message);
        g_error_free(error);
        return;
    }
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    type = wait_bus(pipeline, 3 * GST_SECOND);
    check(type == GST_MESSAGE_EOS, "launch line frostpanevcamsrc device-index=1", "bus says %s",
          type == GST_MESSAGE_UNKNOWN ? "nothing" : gst_message_type_get_name(type));
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
}

int main(int argc, char **argv)
{
    GstRegistry *registry;
    GstPluginFeature *feature;

    gst_init(&argc, &argv);
    registry = gst_registry_get();
    feature = gst_registry_lookup_feature(registry, "frostpanevcamprovider");
    if (feature == NULL) {
        check(FALSE, "plugin found", "is GST_PLUGIN_PATH set to its folder?");
        printf("%d passed, %d failed\n", passed, failed);
        return 1;
    }
    gst_object_unref(feature);

    /* One process, changing environment: also proves that the provider reads
   * the variables at probe time rather than once per process or registry. */
    for (size_t i = 0; i < G_N_ELEMENTS(list_cases); i++)
        run_list_case(&list_cases[i]);
    for (size_t i = 0; i < G_N_ELEMENTS(stream_cases); i++)
        run_stream_case(&stream_cases[i]);
    run_launch_line_case();
    for (size_t i = 0; i < G_N_ELEMENTS(plug_cases); i++)
        run_plug_case(&plug_cases[i]);
    run_leave_stream_case();

    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
