// Test prelude: every "new Date()" and Date.now() of the page answers one fixed instant, so the page's
// clocks can be compared with the time-zone database at that instant. Dates built from arguments stay
// real dates.
(function () {
  var RealDate = Date;
  var instant = __INSTANT_MS__;
  function FixedDate() {
    if (!(this instanceof FixedDate))
      return new RealDate(instant).toString();
    if (arguments.length === 0)
      return new RealDate(instant);
    var args = [null].concat(Array.prototype.slice.call(arguments));
    return new (Function.prototype.bind.apply(RealDate, args))();
  }
  FixedDate.prototype = RealDate.prototype;
  FixedDate.now = function () { return instant; };
  FixedDate.UTC = RealDate.UTC;
  FixedDate.parse = RealDate.parse;
  window.Date = FixedDate;
  window.orbiclockRealDate = RealDate;
  window.orbiclockInstant = instant;
})();
