#!/usr/bin/python3
"""A live RTSP server on 127.0.0.1 for tests of the real player: a moving test picture, encoded
as it is shown, at rtsp://127.0.0.1:PORT/live/qtv. It offers one transport only, so that a client
plays it over that one or not at all, and prints its port once it listens.

    rtsp-server.py tcp|udp
"""

import sys

import gi

gi.require_version("Gst", "1.0")
gi.require_version("GstRtsp", "1.0")
gi.require_version("GstRtspServer", "1.0")
from gi.repository import GLib, Gst, GstRtsp, GstRtspServer  # noqa: E402

PATH = "/live/qtv"
# Key frames every second, as live channels send them, so that a client starts within one.
PIPELINE = (
    "( videotestsrc is-live=true pattern=ball"
    " ! video/x-raw,width=320,height=240,framerate=25/1"
    " ! x264enc tune=zerolatency speed-preset=ultrafast key-int-max=25"
    " ! rtph264pay name=pay0 pt=96 config-interval=1 )"
)
TRANSPORTS = {
    "tcp": GstRtsp.RTSPLowerTrans.TCP,
    "udp": GstRtsp.RTSPLowerTrans.UDP,
}


def main():
    if len(sys.argv) != 2 or sys.argv[1] not in TRANSPORTS:
        sys.exit(__doc__.strip().splitlines()[-1].strip())
    Gst.init(None)
    for element in ("videotestsrc", "x264enc", "rtph264pay"):
        if Gst.ElementFactory.find(element) is None:
            sys.exit(f"rtsp-server: no GStreamer element {element}")
    server = GstRtspServer.RTSPServer()
    server.set_address("127.0.0.1")
    server.set_service("0")
    factory = GstRtspServer.RTSPMediaFactory()
    factory.set_launch(PIPELINE)
    factory.set_shared(True)
    factory.set_protocols(TRANSPORTS[sys.argv[1]])
    server.get_mount_points().add_factory(PATH, factory)
    if server.attach(None) == 0:
        sys.exit("rtsp-server: cannot listen on 127.0.0.1")
    print(server.get_bound_port(), flush=True)
    GLib.MainLoop().run()


main()
