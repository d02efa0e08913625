/* Starts a program and times, on the monotonic clock from just before its
 * exec, when its first top-level window becomes viewable on the X display,
 * when something is first drawn into it (the first damage reported for it
 * after the map: often only the X server's fill of the window's background)
 * and when its first frame with real content is drawn: the first damage
 * after which a good share of the window's rows are no longer one flat
 * colour (a list of entries, a grid of tiles, not a filled or blank window).
 * Then lets it run for a while, reads its resident memory and stops it. One
 * line on standard output:
 *   pid=<pid> map_ms=<t> damage_ms=<t or -1> pixels_ms=<t or -1> rss_kb=<kB or -1>
 * where pixels_ms is the first frame with content.
 * usage: map_wait <hold-ms> [--pages N] <program> [arguments...]
 */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

static long rss_kb(pid_t pid)
{
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
    FILE *f = fopen(path, "r");
    if (!f)
        return -1;
    char line[256];
    long kb = -1;
    while (fgets(line, sizeof line, f)) {
        if (strncmp(line, "VmRSS:", 6) == 0) {
            kb = strtol(line + 6, NULL, 10);
            break;
        }
    }
    fclose(f);
    return kb;
}

#define MAX_WATCHED 256
/* Rows of the window looked at, evenly spaced, and how many of them must
 * hold more than one colour for the frame to count as content. A filled
 * window, a plain backdrop or a window drawn in one colour has none; text
 * or tiles cross a large share of any window that shows them. */
#define SAMPLED_ROWS 48
#define CONTENT_ROWS 6

/* Whether the window shows content: reads SAMPLED_ROWS single-pixel rows. */
static int shows_content(Display *dpy, Window window)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(dpy, window, &attributes) || attributes.map_state != IsViewable ||
        attributes.width < 2 || attributes.height < 2)
        return 0;
    int busy = 0;
    for (int i = 0; i < SAMPLED_ROWS && busy < CONTENT_ROWS; ++i) {
        const int y = (int)((i + 0.5) * attributes.height / SAMPLED_ROWS);
        XImage *row = XGetImage(dpy, window, 0, y, (unsigned)attributes.width, 1, AllPlanes, ZPixmap);
        if (!row)
            continue;
        const unsigned long first = XGetPixel(row, 0, 0);
        for (int x = 1; x < attributes.width; ++x) {
            if (XGetPixel(row, x, 0) != first) {
                ++busy;
                break;
            }
        }
        XDestroyImage(row);
    }
    return busy >= CONTENT_ROWS;
}

/* Windows come and go while the program starts: a damage or window gone in
 * the meantime is no reason to stop. */
static int ignore_error(Display *dpy, XErrorEvent *error)
{
    (void)dpy;
    (void)error;
    return 0;
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: map_wait <hold-ms> <program> [arguments...]\n");
        return 2;
    }
    const double hold = atof(argv[1]);
    int pages = 0;
    if (argc > 4 && strcmp(argv[2], "--pages") == 0) {
        pages = atoi(argv[3]);
        argv += 2;
        argc -= 2;
    }
    Display *dpy = XOpenDisplay(NULL);
    if (!dpy) {
        fprintf(stderr, "map_wait: no display\n");
        return 2;
    }
    XSetErrorHandler(ignore_error);
    int damage_event, damage_error;
    const int have_damage = XDamageQueryExtension(dpy, &damage_event, &damage_error);
    const Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);

    const double start = now_ms();
    const pid_t pid = fork();
    if (pid == 0) {
        close(ConnectionNumber(dpy));
        execvp(argv[2], argv + 2);
        _exit(127);
    }

    /* Damage is watched from each window's creation, so that nothing drawn
     * right after the map is missed. */
    Window watched[MAX_WATCHED];
    int watched_count = 0;
    Window mapped = 0;
    double map_ms = -1, damage_ms = -1, pixels_ms = -1;
    /* The newest damage to the mapped window not yet looked at. */
    double unchecked_damage = -1;
    const double deadline = start + 30000;
    int status;
    while (now_ms() < deadline && (map_ms < 0 || pixels_ms < 0)) {
        /* No content within 5 s of the map: not measured. */
        if (map_ms >= 0 && now_ms() - start > map_ms + 5000)
            break;
        /* Every damage queued is taken in first, so that one look at the
         * window covers them all; the frame is timed at the newest. */
        if (unchecked_damage >= 0 && !XPending(dpy)) {
            if (shows_content(dpy, mapped))
                pixels_ms = unchecked_damage;
            unchecked_damage = -1;
            continue;
        }
        if (waitpid(pid, &status, WNOHANG) == pid) {
            fprintf(stderr, "map_wait: %s ended before its window came\n", argv[2]);
            return 1;
        }
        if (!XPending(dpy)) {
            struct pollfd p = {ConnectionNumber(dpy), POLLIN, 0};
            poll(&p, 1, 50);
            if (!XPending(dpy))
                continue;
        }
        XEvent event;
        XNextEvent(dpy, &event);
        const double t = now_ms() - start;
        if (event.type == CreateNotify && event.xcreatewindow.parent == root && have_damage &&
            watched_count < MAX_WATCHED) {
            XDamageCreate(dpy, event.xcreatewindow.window, XDamageReportNonEmpty);
            watched[watched_count++] = event.xcreatewindow.window;
        } else if (event.type == MapNotify && event.xmap.event == root && map_ms < 0) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(dpy, event.xmap.window, &attributes) && attributes.map_state == IsViewable &&
                attributes.width > 1 && attributes.height > 1) {
                map_ms = t;
                mapped = event.xmap.window;
                if (!have_damage)
                    pixels_ms = -2;
            }
        } else if (have_damage && event.type == damage_event + XDamageNotify) {
            const XDamageNotifyEvent *damage = (const XDamageNotifyEvent *)&event;
            if (mapped && damage->drawable == mapped) {
                if (damage_ms < 0)
                    damage_ms = t;
                if (pixels_ms < 0)
                    unchecked_damage = t;
            }
            /* Re-arm: a non-empty report comes once until the damage is
             * taken away. */
            XDamageSubtract(dpy, damage->damage, None, None);
        }
    }
    if (pixels_ms == -2)
        pixels_ms = -1;
    (void)watched;

    long rss = -1;
    if (map_ms >= 0 && pages > 0) {
        const KeyCode right = XKeysymToKeycode(dpy, XK_Right);
        for (int i = 0; i < pages; ++i) {
            usleep(500000);
            XTestFakeKeyEvent(dpy, right, True, CurrentTime);
            XTestFakeKeyEvent(dpy, right, False, CurrentTime);
            XFlush(dpy);
        }
    }
    if (map_ms >= 0) {
        const double until = now_ms() + hold;
        while (now_ms() < until)
            usleep(20000);
        rss = rss_kb(pid);
    }
    kill(pid, SIGTERM);
    for (int i = 0; i < 200 && waitpid(pid, &status, WNOHANG) != pid; ++i)
        usleep(10000);
    if (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    printf("pid=%d map_ms=%.2f damage_ms=%.2f pixels_ms=%.2f rss_kb=%ld\n", (int)pid, map_ms, damage_ms, pixels_ms,
           rss);
    XCloseDisplay(dpy);
    return map_ms >= 0 ? 0 : 1;
}
