// The C# binding against the real libtalvex.so: a chart in a window of the
// native window system, scripts, settings and a snapshot checked pixel by
// pixel. Exit status 0 when every check holds; each failure is printed.
// Usage: mono talvex_csharp_test.exe WORK_DIRECTORY
using System;
using System.IO;
using System.Runtime.InteropServices;
using Talvex;

static class LinuxWindow
{
    // Linux only: the parent window comes from the native window system.
    [DllImport("talvex_window", CallingConvention = CallingConvention.Cdecl)]
    public static extern IntPtr talvex_window_create(int width, int height);
    [DllImport("talvex_window", CallingConvention = CallingConvention.Cdecl)]
    public static extern void talvex_window_destroy(IntPtr window);
}

static class ChartTest
{
    static int failures;

    static void Check(bool condition, string what)
    {
        if (!condition)
        {
            Console.Error.WriteLine("FAILED: " + what);
            ++failures;
        }
    }

    // A 24-bit bottom-up BMP: width, height and 0xRRGGBB values, top row first.
    static uint[] ReadBmp(string path, out int width, out int height)
    {
        byte[] file = File.ReadAllBytes(path);
        width = height = 0;
        if (file.Length < 54 || file[0] != 'B' || file[1] != 'M' || BitConverter.ToInt16(file, 28) != 24) return null;
        int offset = BitConverter.ToInt32(file, 10);
        width = BitConverter.ToInt32(file, 18);
        height = BitConverter.ToInt32(file, 22);
        int stride = (width * 3 + 3) & ~3;
        var pixels = new uint[width * height];
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
            {
                int at = offset + (height - 1 - y) * stride + 3 * x;
                pixels[y * width + x] = (uint)(file[at + 2] << 16 | file[at + 1] << 8 | file[at]);
            }
        return pixels;
    }

    static int Count(uint[] pixels, Func<int, int, int, bool> test)
    {
        int n = 0;
        foreach (uint p in pixels)
            if (test((int)(p >> 16) & 255, (int)(p >> 8) & 255, (int)p & 255)) ++n;
        return n;
    }

    static int Main(string[] args)
    {
        string directory = args.Length > 0 ? args[0] : ".";
        IntPtr window = LinuxWindow.talvex_window_create(200, 150);
        int handle;
        using (var chart = new Chart(window, 200, 150))
        {
            handle = chart.Handle;
            Check(chart.Width == 200 && chart.Height == 150, "the size given to the constructor");

            // A compile error: the code and the 0-based line where it stopped.
            Check(chart.SetScript(0, "z = 1\nz = (x") == 9, "an unclosed '(' is code 9");
            Check(chart.ErrorLine(0) == 1, "the unclosed '(' is on line 1 (0-based)");
            Check(chart.SetScript(3, "z = 1") == 21, "slot 3 is refused with 21");

            // The library lower-cases the buffer it is given.
            byte[] upper = Chart.ScriptBytes("Z = SIN(X)*COS(Y)");
            Check(Native.TALVEX_ControlSetScript(chart.Handle, 0, upper) == 0, "an upper-case script compiles");
            Check(upper[0] == (byte)'z' && upper[4] == (byte)'s', "the script buffer comes back lower-cased");
            Check(chart.Calculate() == 0, "the surface calculates");

            // Settings read back through the one-byte bools and the float.
            chart.Solid = false;
            Check(!chart.Solid, "wireframe reads back");
            chart.Solid = true;
            Check(chart.Solid, "solid reads back");
            Check(Native.TALVEX_ControlSetAxisVisible(chart.Handle, 256) == 0 && !chart.AxesVisible,
                  "a setter reads only the low byte: 256 is false");
            chart.AxesVisible = true;
            chart.ZDistance = 2.75f;
            Check(chart.ZDistance == 2.75f, "the z distance travels as a float");
            chart.Zoom = 50;
            Check(chart.Zoom == 50, "zoom reads back");
            chart.MouseWheel(120);
            Check(chart.Zoom == 56, "a wheel step forward zooms in by 0.1");
            chart.Zoom = 37;
            chart.BackgroundColor = 0x102030;
            Check(chart.BackgroundColor == 0x102030, "the background colour reads back");

            chart.IsometricView();
            chart.Show(true);
            string path = Path.Combine(directory, "csharp_chart.bmp");
            chart.SaveBmp(path);
            int width, height;
            uint[] pixels = ReadBmp(path, out width, out height);
            Check(pixels != null && width == 200 && height == 150, "the snapshot is a 200 x 150 24-bit BMP");
            if (pixels != null)
            {
                Check(pixels[0] == 0x102030, "the corner shows the background colour");
                // Slot 0 draws in pink: red well above green.
                int pink = Count(pixels, (r, g, b) => r > 150 && r > g + 60 && b > g);
                Check(pink > 2000, "the surface covers the picture in pink (" + pink + " pixels)");
            }

            Check(chart.DelScript(0) == 0, "the slot is cleared");
            Check(chart.Calculate() == Chart.EFail, "nothing to calculate without scripts");
        }
        Check(Native.TALVEX_ControlGetWidth(handle) == 0, "a disposed chart frees its handle");
        LinuxWindow.talvex_window_destroy(window);
        Console.WriteLine(failures == 0 ? "all checks passed" : failures + " checks failed");
        return failures == 0 ? 0 : 1;
    }
}
