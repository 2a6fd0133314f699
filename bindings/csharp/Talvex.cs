// Talvex.cs - the TALVEX chart control for C# (.NET on Windows, mono on Linux).
//
// The 33 functions of talvex.h as platform-invoke declarations, and a small
// Chart class that owns one control. The same file serves talvex.dll on
// Windows, in a 32-bit process the 32-bit DLL and in a 64-bit process the
// 64-bit one, and libtalvex.so on Linux: all are found under the name
// "talvex" (on Linux put the library's directory on LD_LIBRARY_PATH).
//
// On Linux a chart needs a parent window of the native window system
// (talvex_window_create in libtalvex_window.so); pass it as Chart's parent.
// On Windows pass the HWND of a window of the program (IntPtr.Zero makes the
// chart's window a top-level one).
using System;
using System.Runtime.InteropServices;
using System.Text;

namespace Talvex
{
    /// <summary>The exported functions, exactly as talvex.h declares them.</summary>
    /// <remarks>
    /// Results are 32-bit codes (0 for success). The Is... functions return one
    /// byte; the setters take a 32-bit int of which the library reads only the
    /// low byte. Window, instance and rectangle pointers travel as IntPtr; the
    /// wheel's wParam/lParam are pointer-sized everywhere (WPARAM and LPARAM
    /// on Windows), as UIntPtr/IntPtr are. SetScript lower-cases its
    /// text in place, so the text is a writable, NUL-terminated byte buffer.
    /// </remarks>
    public static class Native
    {
        const string Library = "talvex";

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlCreate();
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlDestroy(int handle);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlInit(int handle, IntPtr parent, IntPtr instance, int id);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlSize(int handle, int width, int height);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlMove(int handle, int x, int y, int width, int height, int repaint);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlShow(int handle, int command);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlInvalidate(int handle, IntPtr rect, int erase);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlMouseWheel(int handle, UIntPtr wParam, IntPtr lParam);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlCalculate(int handle);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlSetScript(int handle, int slot, [In, Out] byte[] text);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlDelScript(int handle, int slot);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlScriptGetErrorLine(int handle, int slot);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlSetDefaultView(int handle);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlSetIsometricView(int handle);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlGetWidth(int handle);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlGetHeight(int handle);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlGetScale(int handle);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlSetScale(int handle, int zoom);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern uint TALVEX_ControlGetBackgroundColor(int handle);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlSetBackgroundColor(int handle, uint color);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern uint TALVEX_ControlGetPointColor(int handle);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlSetPointColor(int handle, uint color);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        [return: MarshalAs(UnmanagedType.U1)]
        public static extern bool TALVEX_ControlIsPointVisible(int handle);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlSetPointVisible(int handle, int visible);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        [return: MarshalAs(UnmanagedType.U1)]
        public static extern bool TALVEX_ControlIsAxisVisible(int handle);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlSetAxisVisible(int handle, int visible);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        [return: MarshalAs(UnmanagedType.U1)]
        public static extern bool TALVEX_ControlIsSolid(int handle);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlSetSolid(int handle, int solid);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern float TALVEX_ControlGetZDistance(int handle);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlSetZDistance(int handle, float distance);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlSetLeftHand(int handle);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int TALVEX_ControlSetRightHand(int handle);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, CharSet = CharSet.Ansi, BestFitMapping = false)]
        public static extern int TALVEX_SaveBMP(int handle, [MarshalAs(UnmanagedType.LPStr)] string path);
    }

    /// <summary>A failure code of the library, with the call that returned it.</summary>
    public class TalvexException : Exception
    {
        public int Code { get; private set; }

        public TalvexException(string call, int code)
            : base(string.Format("{0} failed: 0x{1:X8}", call, code))
        {
            Code = code;
        }
    }

    /// <summary>One chart control: created and initialised in the parent window, destroyed by Dispose.</summary>
    public sealed class Chart : IDisposable
    {
        public const int EFail = unchecked((int)0x80004005);

        int handle;

        /// <param name="parent">the window the chart's child window goes into</param>
        /// <param name="id">the identifier of the chart's child window</param>
        public Chart(IntPtr parent, int width = 320, int height = 240, int id = 1)
        {
            handle = Native.TALVEX_ControlCreate();
            if (handle == 0) throw new TalvexException("TALVEX_ControlCreate", 0);
            int result = Native.TALVEX_ControlInit(handle, parent, IntPtr.Zero, id);
            if (result != 0)
            {
                Native.TALVEX_ControlDestroy(handle);
                handle = 0;
                throw new TalvexException("TALVEX_ControlInit", result);
            }
            try
            {
                Resize(width, height);
            }
            catch
            {
                // No object exists to be disposed: the control goes here.
                Native.TALVEX_ControlDestroy(handle);
                handle = 0;
                throw;
            }
        }

        /// <summary>The control's handle, for calls into Native.</summary>
        public int Handle { get { return handle; } }

        public int Width { get { return Native.TALVEX_ControlGetWidth(handle); } }
        public int Height { get { return Native.TALVEX_ControlGetHeight(handle); } }

        /// <summary>Moves the child window and sizes the picture.</summary>
        public void Resize(int width, int height)
        {
            Native.TALVEX_ControlMove(handle, 0, 0, width, height, 0);
            int result = Native.TALVEX_ControlSize(handle, width, height);
            if (result != 0) throw new TalvexException("TALVEX_ControlSize", result);
        }

        /// <summary>
        /// Compiles text (LF or CR LF line ends) into slot 0, 1 or 2. Returns 0,
        /// 21 for a bad slot, or a compile code (talvex_codes.h); ErrorLine then
        /// tells the 0-based line.
        /// </summary>
        public int SetScript(int slot, string text)
        {
            return Native.TALVEX_ControlSetScript(handle, slot, ScriptBytes(text));
        }

        /// <summary>The text as the library reads it: CR LF line ends, NUL-terminated, writable.</summary>
        public static byte[] ScriptBytes(string text)
        {
            string crlf = text.Replace("\r\n", "\n").Replace("\n", "\r\n");
            byte[] bytes = new byte[Encoding.ASCII.GetByteCount(crlf) + 1];
            Encoding.ASCII.GetBytes(crlf, 0, crlf.Length, bytes, 0);
            return bytes;
        }

        public int ErrorLine(int slot) { return Native.TALVEX_ControlScriptGetErrorLine(handle, slot); }
        public int DelScript(int slot) { return Native.TALVEX_ControlDelScript(handle, slot); }

        /// <summary>Samples the scripts; 0 when at least one slot was computed.</summary>
        public int Calculate() { return Native.TALVEX_ControlCalculate(handle); }

        public void Show(bool show) { Native.TALVEX_ControlShow(handle, show ? 5 : 0); }
        public void Invalidate() { Native.TALVEX_ControlInvalidate(handle, IntPtr.Zero, 0); }
        public void DefaultView() { Native.TALVEX_ControlSetDefaultView(handle); }
        public void IsometricView() { Native.TALVEX_ControlSetIsometricView(handle); }

        /// <summary>Forwards a WM_MOUSEWHEEL's parameters: zooms in for a positive delta.</summary>
        public void MouseWheel(int delta)
        {
            uint wParam = (uint)(delta & 0xFFFF) << 16;
            Native.TALVEX_ControlMouseWheel(handle, new UIntPtr(wParam), IntPtr.Zero);
        }

        /// <summary>Zoom 0 .. 100 (37 is 1.0).</summary>
        public int Zoom
        {
            get { return Native.TALVEX_ControlGetScale(handle); }
            set { Native.TALVEX_ControlSetScale(handle, value); }
        }

        /// <summary>0xRRGGBB.</summary>
        public uint BackgroundColor
        {
            get { return Native.TALVEX_ControlGetBackgroundColor(handle); }
            set { Native.TALVEX_ControlSetBackgroundColor(handle, value); }
        }

        /// <summary>The colour of the grid points and the axes, 0xRRGGBB.</summary>
        public uint PointColor
        {
            get { return Native.TALVEX_ControlGetPointColor(handle); }
            set { Native.TALVEX_ControlSetPointColor(handle, value); }
        }

        public bool Solid
        {
            get { return Native.TALVEX_ControlIsSolid(handle); }
            set { Native.TALVEX_ControlSetSolid(handle, value ? 1 : 0); }
        }

        public bool PointsVisible
        {
            get { return Native.TALVEX_ControlIsPointVisible(handle); }
            set { Native.TALVEX_ControlSetPointVisible(handle, value ? 1 : 0); }
        }

        public bool AxesVisible
        {
            get { return Native.TALVEX_ControlIsAxisVisible(handle); }
            set { Native.TALVEX_ControlSetAxisVisible(handle, value ? 1 : 0); }
        }

        public float ZDistance
        {
            get { return Native.TALVEX_ControlGetZDistance(handle); }
            set { Native.TALVEX_ControlSetZDistance(handle, value); }
        }

        /// <summary>Left- or right-handed axes; call Calculate afterwards.</summary>
        public void SetHandedness(bool leftHanded)
        {
            if (leftHanded) Native.TALVEX_ControlSetLeftHand(handle);
            else Native.TALVEX_ControlSetRightHand(handle);
        }

        /// <summary>Draws the picture into a 24-bit BMP file.</summary>
        public void SaveBmp(string path)
        {
            int result = Native.TALVEX_SaveBMP(handle, path);
            if (result != 0) throw new TalvexException("TALVEX_SaveBMP", result);
        }

        public void Dispose()
        {
            if (handle != 0) Native.TALVEX_ControlDestroy(handle);
            handle = 0;
        }
    }
}
